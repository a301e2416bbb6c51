#!/usr/bin/python3
"""The build's steps for the message catalogues in po/.

check TEMPLATE PO MO
    Compiles PO into MO with msgfmt --check (the syntax, the header, printf
    formats), fails when PO lacks a msgid of TEMPLATE (msgcmp; run
    scripts/update-po to bring it up to date) and when a translation's
    numbered placeholders ({1}, {2}, ...) are not the same set as its
    msgid's, which would lose or invent a figure. An untranslated text is
    fine: the program shows it in English.
pseudo FULL_MO PO
    Writes the pseudo-language en@pseudo: every text of FULL_MO (the English
    catalogue with msgen's copies of the msgids for what it lacks) in
    【...】, lengthened by a third, its placeholders intact, so that a
    window too narrow for a longer language, a text that never passes the
    catalogue, or a sentence glued from pieces shows at a glance.
"""
import math
import re
import struct
import subprocess
import sys

PLACEHOLDER = re.compile(r"\{([1-9][0-9]?)\}")


def read_mo(path):
    """The (key, translation) pairs of a .mo msgfmt wrote, header left out."""
    with open(path, "rb") as f:
        data = f.read()
    magic = struct.unpack_from("<I", data, 0)[0]
    order = "<" if magic == 0x950412DE else ">"
    _, count, originals, translations = struct.unpack_from(order + "4I", data, 4)

    def string(table, index):
        length, offset = struct.unpack_from(order + "2I", data, table + 8 * index)
        return data[offset:offset + length].decode("utf-8")

    pairs = [(string(originals, i), string(translations, i)) for i in range(count)]
    return [(key, text) for key, text in pairs if key]


def placeholders(text):
    return sorted(set(PLACEHOLDER.findall(text)), key=int)


def check(template, po, mo):
    if subprocess.run(["msgfmt", "--check", "--output-file=" + mo, po]).returncode != 0:
        return 1
    if subprocess.run(["msgcmp", "--use-untranslated", "--use-fuzzy", po, template]).returncode:
        print("%s: lacks texts of %s; run scripts/update-po" % (po, template), file=sys.stderr)
        return 1
    faults = 0
    for key, text in read_mo(mo):
        msgid = key.split("\x04", 1)[-1].split("\0", 1)[0]
        for translation in text.split("\0"):
            if placeholders(translation) != placeholders(msgid):
                print("%s: \"%s\" has the placeholders {%s}, its translation \"%s\" {%s}" %
                      (po, msgid, "} {".join(placeholders(msgid)), translation,
                       "} {".join(placeholders(translation))), file=sys.stderr)
                faults += 1
    return 1 if faults else 0


def po_string(text):
    escaped = (text.replace("\\", "\\\\").replace("\"", "\\\"").replace("\n", "\\n")
               .replace("\t", "\\t").replace("\r", "\\r"))
    return "\"%s\"" % escaped


def pseudo_text(text):
    return "【%s%s】" % (text, "~" * max(1, math.ceil(len(text) / 3)))


def pseudo(full_mo, po):
    header = ["Project-Id-Version: Tarnwell", "PO-Revision-Date: 2026-01-01 00:00+0000",
              "Last-Translator: the build", "Language-Team: none", "Language: en@pseudo",
              "MIME-Version: 1.0", "Content-Type: text/plain; charset=UTF-8",
              "Content-Transfer-Encoding: 8bit"]
    lines = ['msgid ""', 'msgstr ""'] + [po_string(field + "\n") for field in header] + [""]
    for key, text in read_mo(full_mo):
        context, _, msgid = key.rpartition("\x04")
        if context:
            lines.append("msgctxt " + po_string(context))
        lines.append("msgid " + po_string(msgid.split("\0", 1)[0]))
        lines.append("msgstr " + po_string(pseudo_text(text.split("\0", 1)[0])))
        lines.append("")
    with open(po, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "check":
        return check(*argv[2:])
    if len(argv) == 4 and argv[1] == "pseudo":
        return pseudo(*argv[2:])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
