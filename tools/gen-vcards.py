#!/usr/bin/env python3
"""Writes COUNT synthetic contacts (no photos) into one .vcf file, or into a folder of one-card files
as a synced address book keeps them, for benchmarks and load tests.

Usage: tools/gen-vcards.py COUNT OUT.vcf | OUT-FOLDER
Cards mix vCard 3.0 and 2.1 (QUOTED-PRINTABLE, CHARSET=UTF-8), Russian and Latin names, one to four
numbers of different kinds, some companies and notes; the same COUNT always gives the same file.
"""
import os
import quopri
import random
import sys

FIRST = ["Иван", "Пётр", "Анна", "Мария", "Ольга", "Сергей", "Никита", "Елена", "John", "Claire", "Marco",
         "Lena", "Yuki", "Omar", "Sofia", "Тимур"]
LAST = ["Иванов", "Петрова", "Сидоров", "Кузнецова", "Смирнов", "Orlov", "Baker", "Rossi", "Schmidt", "Novak",
        "Garcia", "Tanaka", "Ким", "Белова", "Захаров", "Hansen"]
ORGS = ["", "", "", "Лесторг", "Northwind", "Северный порт", "Acme", "Школа №5"]
TYPES = ["CELL", "HOME", "WORK", "WORK,FAX", "CELL", "PAGER", "CAR", "HOME"]


def qp(text):
    return quopri.encodestring(text.encode("utf-8")).decode().replace("=\n", "")


def main():
    count, out = int(sys.argv[1]), sys.argv[2]
    rnd = random.Random(count)
    folder = not out.endswith(".vcf")
    if folder:
        os.makedirs(out, exist_ok=True)
    f = None if folder else open(out, "w", encoding="utf-8", newline="")
    for i in range(count):
        first, last, org = rnd.choice(FIRST), rnd.choice(LAST), rnd.choice(ORGS)
        v21 = i % 3 == 0
        lines = ["BEGIN:VCARD", "VERSION:2.1" if v21 else "VERSION:3.0"]
        if v21:
            lines.append("N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:%s;%s;;;" % (qp(last), qp(first)))
        else:
            lines.append("UID:synthetic-%d" % i)
            lines.append("N:%s;%s;;;" % (last, first))
            lines.append("FN:%s %s" % (first, last))
        if org:
            lines.append("ORG:" + org)
        for _ in range(rnd.randint(1, 4)):
            kind = rnd.choice(TYPES)
            number = "+7 9%02d %03d-%02d-%02d" % (rnd.randint(0, 99), rnd.randint(0, 999), rnd.randint(0, 99),
                                                  rnd.randint(0, 99))
            lines.append(("TEL;%s:%s" % (kind.replace(",", ";"), number)) if v21 else
                         ("TEL;TYPE=%s:%s" % (kind, number)))
        if i % 10 == 0:
            lines.append("NOTE:Заметка %d" % i)
        lines.append("END:VCARD")
        text = "\r\n".join(lines) + "\r\n"
        if folder:
            with open(os.path.join(out, "card-%06d.vcf" % i), "w", encoding="utf-8", newline="") as card:
                card.write(text)
        else:
            f.write(text)
    if f:
        f.close()


if __name__ == "__main__":
    main()
