#!/usr/bin/env python3
"""Writes the bundled sample contacts, resources/contacts/sample.vcf: fictional people and firms with
Russian and Latin names, several kinds of numbers, notes with an information block, one compact
rich-text note, and a few generated avatars (initials on a coloured circle, drawn by ImageMagick).

Usage: tools/make-sample-contacts.py   (run from anywhere; needs `convert` for the avatars)
"""
import base64
import os
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "contacts", "sample.vcf")

# (last, first, middle, company, [(types, number)], note, avatar colour or None)
PEOPLE = [
    ("Иванов", "Пётр", "Сергеевич", "", [("CELL", "+7 912 345-67-01"), ("HOME", "+7 495 123-45-01")], "", "#3b7dd8"),
    ("Смирнова", "Анна", "Викторовна", "Лесторг", [("CELL", "+7 912 345-67-02"), ("WORK", "+7 495 222-00-02")], "", "#d83b6a"),
    ("Кузнецов", "Алексей", "", "", [("CELL", "+7 903 111-22-03")], "", None),
    ("Попова", "Мария", "Ивановна", "", [("CELL", "+7 916 000-11-04"), ("HOME", "+7 812 444-55-04"), ("HOME", "+7 812 444-55-14")], "", "#2fa36b"),
    ("Васильев", "Дмитрий", "", "Северный порт", [("WORK", "+7 812 300-10-05"), ("WORK,FAX", "+7 812 300-10-15"), ("CELL", "+7 921 555-00-05")], "", None),
    ("Петрова", "Ольга", "Николаевна", "", [("CELL", "+7 926 700-80-06")], "Дача под Тверью.\n== start pim information ==\nPhone: [Дача: +7 4822 33-44-06] [Сосед: +7 926 700-80-16]\n== end pim information ==", None),
    ("Соколов", "Игорь", "", "", [("CELL", "+7 905 121-21-07"), ("CAR", "+7 905 121-21-17")], "", None),
    ("Михайлова", "Елена", "Павловна", "Городская больница №3", [("WORK", "+7 495 600-00-08"), ("X-ASSISTANT", "+7 495 600-00-18")], "", "#a35a2f"),
    ("Новиков", "Сергей", "", "", [("CELL", "+7 999 010-20-09"), ("PAGER", "+7 999 010-20-19")], "", None),
    ("Фёдорова", "Татьяна", "", "", [("HOME", "+7 343 210-00-10")], "", None),
    ("Морозов", "Андрей", "Олегович", "", [("CELL", "+7 917 300-40-11"), ("WORK", "+7 917 300-40-21"), ("HOME", "+7 917 300-40-31")], "", None),
    ("Волкова", "Наталья", "", "Школа искусств", [("CELL", "+7 915 888-77-12")], "", None),
    ("Алексеев", "Николай", "", "", [("CELL", "+7 911 123-00-13"), ("CELL", "+7 911 123-00-23")], "", None),
    ("Лебедева", "Юлия", "Андреевна", "", [("CELL", "+7 960 100-20-14"), ("X-MMS", "+7 960 100-20-24")], "", "#7a3bd8"),
    ("Семёнов", "Виктор", "", "", [("HOME,FAX", "+7 383 200-30-15"), ("HOME", "+7 383 200-30-25")], "", None),
    ("Егорова", "Ирина", "", "", [("CELL", "+7 913 400-50-16")], "", None),
    ("Павлов", "Михаил", "Юрьевич", "", [("CELL", "+7 914 500-60-17"), ("X-RADIO", "+7 914 500-60-27")], "", None),
    ("Козлова", "Светлана", "", "", [("CELL", "+7 918 600-70-18")], "Звонить после 18:00", None),
    ("Степанов", "Артём", "", "", [("CELL", "+7 919 700-80-19")], "", None),
    ("Николаева", "Дарья", "", "", [("CELL", "+7 920 800-90-20"), ("WORK", "+7 920 800-90-30")], "", None),
    ("Orlov", "Boris", "", "", [("CELL", "+44 7700 900021")], "", None),
    ("Anderson", "Claire", "", "Northwind Books", [("CELL", "+1 555 010 0122"), ("WORK", "+1 555 010 0222")], "", "#d8a13b"),
    ("Baker", "Thomas", "J.", "", [("HOME", "+1 555 010 0123")], "", None),
    ("Dubois", "Camille", "", "", [("CELL", "+33 6 12 34 56 24")], "", None),
    ("Rossi", "Marco", "", "Trattoria Sole", [("WORK", "+39 02 1234 5625"), ("CELL", "+39 333 123 4525")], "", None),
    ("Schmidt", "Lena", "", "", [("CELL", "+49 151 2345 6726")], "", None),
    ("Novak", "Petra", "", "", [("CELL", "+420 601 234 527"), ("HOME", "+420 2 1234 5627")], "", None),
    ("Kowalski", "Jan", "", "", [("CELL", "+48 601 234 528")], "", None),
    ("Hansen", "Erik", "", "", [("CELL", "+47 412 34 529")], "", None),
    ("Garcia", "Lucia", "", "", [("CELL", "+34 612 345 630"), ("WORK,FAX", "+34 91 123 4630")], "", None),
    ("Tanaka", "Yuki", "", "", [("CELL", "+81 90 1234 5631")], "", None),
    ("Ким", "Виктор", "", "", [("CELL", "+7 924 111-22-32")], "", None),
    ("Захаров", "Григорий", "Ефимович", "", [("CELL", "+7 925 222-33-33")], "", None),
    ("", "", "", "Такси «Быстрое»", [("WORK", "+7 495 777-77-34")], "", None),
    ("", "", "", "Пиццерия «Маргарита»", [("WORK", "+7 495 500-50-35"), ("X-COMPANY", "+7 495 500-50-45")], "", None),
    ("", "", "", "Ветклиника «Айболит»", [("WORK", "+7 812 600-60-36")], "Круглосуточно.\n== start pim information ==\nPhone: [Дежурный врач: +7 921 600-60-46]\n== end pim information ==", None),
    ("", "", "", "Acme Plumbing", [("WORK", "+1 555 010 0137")], "", None),
    ("", "", "", "Служба поддержки банка", [("WORK", "8 800 100-00-38")], "", None),
    ("Белова", "Кира", "", "", [("CELL", "+7 927 333-44-39")], "", None),
    ("Григорьев", "Фёдор", "", "", [("CELL", "+7 928 444-55-40")], "", None),
    # Keys 5 2 7 spell the start of both names in the Russian-with-Latin keypad layout.
    ("Пахомова", "Вера", "", "", [("CELL", "+7 916 300-41-41"), ("WORK", "+7 495 300-41-51")], "", None),
    ("Larsson", "Karin", "", "", [("CELL", "+46 70 300 41 42")], "", None),
]


def escape(text):
    return text.replace("\\", "\\\\").replace(",", "\\,").replace(";", "\\;").replace("\n", "\\n")


def fold(line):
    out, rest = [], line
    while len(rest.encode()) > 75:
        cut = 75
        while len(rest[:cut].encode()) > 75:
            cut -= 1
        out.append(rest[:cut])
        rest = rest[cut:]
    out.append(rest)
    return "\r\n ".join(out)


def avatar(initials, colour):
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "a.jpg")
        subprocess.run(["convert", "-size", "192x192", "xc:white", "-fill", colour, "-draw",
                        "circle 96,96 96,4", "-fill", "white", "-font", "DejaVu-Sans-Bold", "-pointsize", "80",
                        "-gravity", "center", "-annotate", "+0+0", initials, "-quality", "80", path], check=True)
        with open(path, "rb") as f:
            return f.read()


def compact_note(paragraphs):
    """Notes in the compact rich-text format: a header, then one 'A' record per ASCII paragraph."""
    data = b"{\\pwi\x01" + bytes(8)
    for text in paragraphs:
        encoded = text.encode("ascii")
        quads = (24 + len(encoded) + 3) // 4
        record = bytearray(6 + quads * 4)
        record[0] = ord("A")
        record[4:6] = struct.pack("<H", quads)
        record[8:10] = struct.pack("<H", len(encoded))
        record[30:30 + len(encoded)] = encoded
        data += bytes(record)
    return data


def main():
    cards = []
    for i, (last, first, middle, company, phones, note, colour) in enumerate(PEOPLE, 1):
        lines = ["BEGIN:VCARD", "VERSION:3.0", "UID:dialvane-sample-%02d" % i,
                 "N:%s;%s;%s;;" % (escape(last), escape(first), escape(middle))]
        full = " ".join(p for p in (first, middle, last) if p) or company
        lines.append("FN:" + escape(full))
        if company:
            lines.append("ORG:" + escape(company))
        for types, number in phones:
            lines.append("TEL;TYPE=%s:%s" % (types, number))
        if note:
            lines.append("NOTE:" + escape(note))
        if colour:
            initials = (first[:1] + last[:1]) or company[:1]
            photo = base64.b64encode(avatar(initials, colour)).decode()
            lines.append("PHOTO;ENCODING=b;TYPE=JPEG:" + photo)
        if i == 3:
            raw = compact_note(["Old friend from school.", "== start pim information ==",
                                "Phone: [Garage: +7 903 111-22-43]", "== end pim information =="])
            lines.append("X-DIALVANE-NOTES;ENCODING=b:" + base64.b64encode(raw).decode())
        lines.append("END:VCARD")
        cards.append("\r\n".join(fold(line) for line in lines) + "\r\n")
    with open(OUT, "w", encoding="utf-8", newline="") as f:
        f.write("".join(cards))
    print("wrote %s (%d cards)" % (OUT, len(cards)))


if __name__ == "__main__":
    main()
