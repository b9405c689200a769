"""Every element path of "Velmora.xml" is spelled in the one table, src/config/ConfigPaths.h:
no string literal of a path under "/Velmora" anywhere else in the program's sources."""

import pathlib
import re
import sys

LITERAL = re.compile(r'L"/Velmora[/"]')


def main(source_root):
    src = pathlib.Path(source_root) / "src"
    found = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or path.parent.name == "config":
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            if LITERAL.search(line):
                found.append("%s:%d: %s" % (path.relative_to(src), number, line.strip()))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
