#include "companions/contactstore/VcardReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using namespace vcard;

CardSet Parse(std::string_view text, ParseResult* result = nullptr) {
    CardSet set;
    ParseResult parsed = ParseVcards(text, set);
    if (result) *result = parsed;
    return set;
}

std::string Get(const CardSet& set, size_t card, int field) {
    return std::string(set.Get(set.Cards.at(card), static_cast<Field>(field)));
}

// "last|first|middle|company|sort name" of a card.
std::string Names(const CardSet& set, size_t card) {
    std::string names = Get(set, card, Last);
    for (Field field : {First, Middle, Company, SortName}) names += "|" + Get(set, card, field);
    return names;
}

std::string Phone(const CardSet& set, size_t card, int kind) {
    return Get(set, card, PhoneField(kind));
}

TEST(VcardReader, Version21QuotedPrintableCharsetsAndSoftBreaks) {
    CardSet set =
        Parse("BEGIN:VCARD\r\nVERSION:2.1\r\n"
              "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD=D0=BE=D0=B2;=D0=9F=D0=\r\n"
              "=B5=D1=82=D1=80;;;\r\n"
              "ORG;CHARSET=WINDOWS-1251;QUOTED-PRINTABLE:=CE=CE=CE =D0=EE=E3=E0\r\n"
              "NOTE;ENCODING=QUOTED-PRINTABLE:line one=0D=0A=\r\nline two\r\n"
              "END:VCARD\r\n");
    EXPECT_EQ(Names(set, 0), "Иванов|Петр||ООО Рога|Иванов, Петр");
    EXPECT_EQ(Get(set, 0, Notes), "line one\r\nline two");
}

TEST(VcardReader, Version3And4FoldingEscapesSortAsAndUriNumbers) {
    CardSet set =
        Parse("BEGIN:VCARD\nVERSION:4.0\nN;SORT-AS=\"Perreault,Simon\":Perreault;Simon;Jean\\, Luc;;ing. jr\n"
              "FN:Simon Perreault\nTEL;VALUE=uri;TYPE=\"work,voice\";PREF=1:tel:+1-418-656-9254;ext=102\n"
              "TEL;VALUE=uri;TYPE=\"work,cell,voice,video,text\":tel:+1-418-262-\n 6501\n"
              "NOTE:a\\nb\\, c\\; d\nEND:VCARD\n"
              "BEGIN:vCard\nVERSION:3.0\nN:Doe;John;Richter,James;Mr.;Sr.\nSORT-STRING:Doe J\n"
              "ORG:IBM;Accounting\nEND:vCard\n");
    EXPECT_EQ(Names(set, 0), "Perreault|Simon|Jean, Luc||Perreault, Simon");
    EXPECT_EQ(Phone(set, 0, Work), "+1-418-656-9254p102");
    EXPECT_EQ(Phone(set, 0, Mobile), "+1-418-262-6501");
    EXPECT_EQ(Get(set, 0, Notes), "a\r\nb, c; d");
    EXPECT_EQ(Names(set, 1), "Doe|John|Richter James|IBM|Doe J");
}

TEST(VcardReader, NamesComeFromFullNameWhenNIsMissingAndCompaniesStayCompanies) {
    CardSet set = Parse("BEGIN:VCARD\nVERSION:3.0\nFN:Frank Van Dawson\nEND:VCARD\n"
                        "BEGIN:VCARD\nVERSION:3.0\nFN:Акме\nORG:Акме\nTEL:1\nEND:VCARD\n"
                        "BEGIN:VCARD\nVERSION:2.1\nEMAIL:x@y.z\nEND:VCARD\n");
    EXPECT_EQ(Names(set, 0), "Dawson|Frank Van|||Dawson, Frank Van");
    EXPECT_EQ(Names(set, 1), "|||Акме|Акме");
    EXPECT_EQ(Names(set, 2), "||||");
}

TEST(VcardReader, TelTypesMapOntoTheKindsAndSpareNumbersGoToTheInformationBlock) {
    CardSet set = Parse("BEGIN:VCARD\nVERSION:3.0\nN:A;B\n"
                        "TEL;TYPE=CELL:1\nTEL;TYPE=HOME:2\nTEL;TYPE=HOME:3\nTEL;TYPE=HOME:4\n"
                        "TEL;TYPE=WORK,VOICE:5\nTEL;TYPE=WORK:6\nTEL;TYPE=WORK,FAX:7\nTEL;TYPE=HOME,FAX:8\n"
                        "TEL;TYPE=PAGER:9\nTEL;TYPE=CAR:10\nTEL;TYPE=X-RADIO:11\nTEL;TYPE=X-ASSISTANT:12\n"
                        "TEL;TYPE=X-COMPANY:13\nTEL;TYPE=X-MMS:14\nTEL;TYPE=CELL:15\nTEL;TYPE=CELL:1\n"
                        "item1.TEL:16\nitem1.X-ABLabel:Дача [старая]\n"
                        "NOTE:hello\nEND:VCARD\n");
    const char* expected[PhoneKinds] = {"1", "2", "3", "5", "6", "9", "11", "12", "7", "8", "13", "14", "10"};
    for (int kind = 0; kind < PhoneKinds; ++kind) EXPECT_EQ(Phone(set, 0, kind), expected[kind]) << kind;
    EXPECT_EQ(Get(set, 0, Notes), "hello\r\n== start pim information ==\r\n"
                                  "Phone: [Домашний: 4] [Мобильный: 15] [Дача \\[старая\\]: 16]\r\n"
                                  "== end pim information ==");
}

TEST(VcardReader, AppleLabelsDecideTheKindAndExistingBlocksTakeTheSpareNumbers) {
    CardSet set = Parse(
        "BEGIN:VCARD\nVERSION:3.0\nN:A;B\nitem2.TEL:905-222\nitem2.X-ABLabel:_$!<AssistantPhone>!$_\n"
        "item3.TEL;type=pref:777\nitem3.X-ABLabel:_$!<Mobile>!$_\nTEL;type=CELL:888\n"
        "NOTE:x\\n== start pim information ==\\nPhone: [Old: 1]\\n== end pim information ==\nEND:VCARD\n"
        "BEGIN:VCARD\nTEL:1\nTEL:2\n"
        "NOTE:== start pim information ==\nEND:VCARD\n");
    EXPECT_EQ(Phone(set, 0, Assistant), "905-222");
    EXPECT_EQ(Phone(set, 0, Mobile), "777");
    EXPECT_EQ(Get(set, 0, Notes), "x\r\n== start pim information ==\r\nPhone: [Мобильный: 888] [Old: 1]\r\n"
                                  "== end pim information ==");
    EXPECT_EQ(Get(set, 1, Notes), "== start pim information ==\r\nPhone: [Телефон: 1] [Телефон: 2]");
}

TEST(VcardReader, NumbersClaimNoKindTheFileDoesNotGiveThem) {
    CardSet set = Parse("BEGIN:VCARD\nVERSION:3.0\nN:A;B\nTEL:111\nTEL;TYPE=voice:222\nTEL;TYPE=CELL:333\n"
                        "TEL;TYPE=HOME,VOICE:444\nTEL;TYPE=pref:555\nTEL;TYPE=CELL:666\nEND:VCARD\n");
    EXPECT_EQ(Phone(set, 0, Mobile), "333") << "a typed number is not pushed aside by a typeless one";
    EXPECT_EQ(Phone(set, 0, Home), "444");
    for (int kind : {Home2, Work, Work2}) EXPECT_EQ(Phone(set, 0, kind), "") << kind;
    EXPECT_EQ(Get(set, 0, Notes), "== start pim information ==\r\nPhone: [Мобильный: 666] [Телефон: 111] "
                                  "[Телефон: 222] [Телефон: 555]\r\n== end pim information ==");
}

TEST(VcardReader, PicturesAndRawNotesDecodeFromBase64AndDataUris) {
    CardSet set = Parse(
        "BEGIN:VCARD\nVERSION:2.1\nPHOTO;ENCODING=BASE64;JPEG:/9j/\n4AAQ\n\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nPHOTO:data:image/png;base64,iVBORw0K\nEND:VCARD\n"
        "BEGIN:VCARD\nPHOTO;ENCODING=b:@@not base64@@\nX-DIALVANE-NOTES;ENCODING=b:e1xwd2kB\nEND:VCARD\n");
    EXPECT_EQ(Get(set, 0, Photo), std::string("\xFF\xD8\xFF\xE0\x00\x10", 6));
    EXPECT_EQ(Get(set, 1, Photo), std::string("\x89PNG\r\n", 6));
    EXPECT_EQ(Get(set, 2, Photo), "");
    EXPECT_TRUE(set.Cards[2].RawNotes);
    EXPECT_EQ(Get(set, 2, Notes), "{\\pwi\x01");
}

TEST(VcardReader, BrokenInputIsReadAsFarAsItMakesSense) {
    ParseResult result;
    // The first card has no END and ends at the next BEGIN; the last one ends with the text.
    CardSet set = Parse("junk before\nBEGIN:VCARD\nN:One;A\nTEL:1\n"
                        "BEGIN:VCARD\nN:Two;B\nno colon here\n\x01\x02\x00\xFF:\xFE\nTEL;CELL:2\nEND:VCARD\n"
                        "END:VCARD\nBEGIN:VCARD\nN:Three;C\nTEL;HOME:3"s,
                        &result);
    ASSERT_EQ(set.Cards.size(), 3u);
    EXPECT_FALSE(result.Complete);
    EXPECT_NE(Get(set, 0, Notes).find("[Телефон: 1]"), std::string::npos);
    EXPECT_EQ(Phone(set, 1, Mobile), "2");
    EXPECT_EQ(Phone(set, 2, Home), "3");
    std::vector<std::string> problems;
    for (const Problem& problem : result.Problems)
        problems.push_back(problem.Card + "@" + std::to_string(problem.Line) + " " + problem.What);
    EXPECT_EQ(problems,
              (std::vector<std::string>{"One, A@2 no END:VCARD: the card ends where the next one begins",
                                        "Two, B@7 a line without ':' was left out",
                                        "Three, C@12 no END:VCARD: the file ends inside the card"}));
}

TEST(VcardReader, WhatOneCardCostsIsBounded) {
    // A line far longer than any value: the card is kept, the line cut to LineLimit.
    CardSet big = Parse("BEGIN:VCARD\nN:Long;" + std::string(1 << 20, 'x') + "\nTEL;CELL:5\nEND:VCARD\n");
    EXPECT_EQ(Get(big, 0, First).size(), ShortFieldLimit);
    EXPECT_EQ(Phone(big, 0, Mobile), "5");
    // Ten megabytes of notes, folded or not, keep their information block and little else.
    const std::string block = "\\n== start pim information ==\\nPhone: [Дача: 7]\\n== end pim information ==";
    for (const std::string& fold : {std::string(), std::string("\r\n "), std::string("\r ")}) {
        std::string note;
        for (int i = 0; i < 10 * 1024; ++i) note += std::string(1024, 'n') + fold;
        ParseResult result;
        CardSet set = Parse("BEGIN:VCARD\nN:Big;Note\nNOTE:" + note + block + "\nEND:VCARD\n", &result);
        const std::string notes = Get(set, 0, Notes);
        EXPECT_LE(notes.size(), NotesLimit);
        EXPECT_NE(notes.find("== start pim information ==\r\nPhone: [Дача: 7]"), std::string::npos)
            << fold.size();
        ASSERT_EQ(result.Problems.size(), 1u);
        EXPECT_EQ(result.Problems[0].What, "a line longer than 256 KB: cut");
    }
    // Notes within a line's limit but past their own are cut to NotesLimit.
    ParseResult result;
    CardSet set =
        Parse("BEGIN:VCARD\nN:Big;Note\nNOTE:" + std::string(100 * 1024, 'n') + "\nEND:VCARD\n", &result);
    EXPECT_EQ(Get(set, 0, Notes), std::string(NotesLimit, 'n'));
    ASSERT_EQ(result.Problems.size(), 1u);
    EXPECT_EQ(result.Problems[0].What, "notes longer than 64 KB: cut");
}

TEST(VcardReader, LinesEndInCrLfOrBothAndNulCharactersAreDropped) {
    ParseResult result;
    CardSet set =
        Parse("BEGIN:VCARD\rVERSION:2.1\rN:Petrov;Ivan\rTEL;CELL:1\rORG:Big\r  Corp\rEND:VCARD\r"
              "BEGIN:VCARD\r\nN:Two;B\nTEL;HOME:2\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a=\rb\rEND:VCARD\n"
              "BEGIN:VCARD\r\r\nN:Pet\0rov;Iv\0an\r\r\nTEL;CELL:12\x00"
              "34\rEND:VCARD\r"s,
              &result);
    ASSERT_EQ(set.Cards.size(), 3u);
    EXPECT_TRUE(result.Complete);
    EXPECT_EQ(Names(set, 0), "Petrov|Ivan||Big Corp|Petrov, Ivan");
    EXPECT_EQ(Phone(set, 0, Mobile), "1");
    EXPECT_EQ(Phone(set, 1, Home), "2");
    EXPECT_EQ(Get(set, 1, Notes), "ab");
    EXPECT_EQ(Names(set, 2), "Petrov|Ivan|||Petrov, Ivan") << "what follows a NUL is kept";
    EXPECT_EQ(Phone(set, 2, Mobile), "1234");
    ASSERT_EQ(result.Problems.size(), 2u);
    EXPECT_EQ(result.Problems[0].What, "N held NUL characters: dropped");
}

TEST(VcardReader, Utf16FilesAndUndeclaredCharsetsAreRead) {
    std::u16string text = u"\uFEFFBEGIN:VCARD\r\nN:Петров;Иван\r\nEND:VCARD\r\n";
    CardSet set = Parse(std::string_view(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    EXPECT_EQ(Get(set, 0, Last), "Петров");
    // Bytes that are not UTF-8 and name no charset are taken as windows-1251.
    CardSet legacy = Parse("BEGIN:VCARD\nN:\xCF\xE5\xF2\xF0\xEE\xE2;\nEND:VCARD\n");
    EXPECT_EQ(Get(legacy, 0, Last), "Петров");
}

} // namespace
