#include "contacts/ContactDetails.h"
#include "companions/contactstore/VcardReader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

const char* const Seeds[] = {
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2;=D0=\r\n=9F;;;\r\n"
    "TEL;CELL;PREF:+7 900 123\r\nTEL;HOME:234\r\nPHOTO;ENCODING=BASE64;JPEG:/9j/4AAQSkZJRg\r\n "
    "AABAQAAAQABAAD\r\n\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\r\nb\r\nEND:VCARD\r\n",
    "BEGIN:VCARD\nVERSION:3.0\nN:Doe;John;Richter\\, "
    "James;Mr.;Sr.\nitem1.TEL:555\nitem1.X-ABLabel:_$!<Mobile>!$_\n"
    "ORG:IBM;Accounting\nNOTE:== start pim information ==\\nPhone: [A: 1]\\n== end pim information ==\n"
    "X-DIALVANE-NOTES;ENCODING=b:e1xwd2kBAAAAAAAAAAAAAEEAAAAIAAIAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAGFiYw==\nEND:"
    "VCARD\n",
    "BEGIN:VCARD\nVERSION:4.0\nN;SORT-AS=\"P,S\":P;S;;;\nTEL;VALUE=uri;TYPE=\"work,voice\":tel:+1-418;ext=1\n"
    "PHOTO:data:image/png;base64,iVBORw0KGgo=\nEND:VCARD\n",
    // Classic Mac line ends and a folded picture (the mutations bring the NULs).
    "BEGIN:VCARD\rVERSION:3.0\rUID:x\rN:A;C\rTEL:1\rPHOTO;ENCODING=b:iVBO\r Rw0K\rNOTE:a\\nb\rEND:VCARD\r",
};

// Mutates text in place: flips, inserts, deletes and duplicates bytes and whole spans.
void Mutate(std::string& text, std::mt19937& random) {
    const char interesting[] = {'\r', '\n', ':', ';', '=', '\\', ' ', '\0', '\xFF', '\xC3', ',', '"', '['};
    int edits = 1 + static_cast<int>(random() % 8);
    for (int e = 0; e < edits && !text.empty(); ++e) {
        size_t at = random() % text.size();
        switch (random() % 5) {
        case 0:
            text[at] = static_cast<char>(random());
            break;
        case 1:
            text.insert(at, 1, interesting[random() % sizeof interesting]);
            break;
        case 2:
            text.erase(at, 1 + random() % 16);
            break;
        case 3:
            text.insert(at, text.substr(random() % text.size(), random() % 64));
            break;
        default:
            text.resize(at);
            break;
        }
    }
}

TEST(VcardFuzz, MutatedCardsNeverBreakTheReaderOrTheNotesDecoders) {
    std::mt19937 random(20241205);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (int n = 1 + static_cast<int>(random() % 3); n > 0; --n)
            text += Seeds[random() % std::size(Seeds)];
        Mutate(text, random);
        vcard::CardSet set;
        vcard::ParseResult result = vcard::ParseVcards(text, set);
        ASSERT_EQ(static_cast<size_t>(result.Cards), set.Cards.size());
        for (const vcard::Card& card : set.Cards) {
            size_t total = size_t{card.NotesLength} + card.PhotoLength;
            for (uint16_t length : card.Length) total += length;
            ASSERT_LE(card.Start + total, set.Bytes.size());
            std::string_view notes = set.Get(card, vcard::Notes);
            WString decoded = DecodeNotes(reinterpret_cast<const BYTE*>(notes.data()), notes.size());
            Array<PhoneEntry> phones;
            ReadPhoneList(InformationBlock(decoded), phones);
            for (int i = 0; i < phones.GetSize(); ++i) ASSERT_FALSE(phones.GetAt(i).Number.IsEmpty());
        }
        // The raw bytes as notes, too: every decoder must stay within them.
        DecodeNotes(reinterpret_cast<const BYTE*>(text.data()), text.size());
        std::string compact = "{\\pwi\x01" + text;
        DecodeNotes(reinterpret_cast<const BYTE*>(compact.data()), compact.size());
    }
}

} // namespace
