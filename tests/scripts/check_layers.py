#!/usr/bin/env python3
"""Checks the shape of src/: folders include only folders of lower layers, the core includes
no toolkit, every source file is listed in its folder's CMakeLists.txt, and files and
functions stay small. Exits 1 with one line per finding."""
import os
import re
import sys

SRC = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src")

# From the bottom up; a folder may include its own files and those of lower layers only.
LAYERS = [
    ["core"],
    ["services"],
    ["config"],
    ["monitor", "banners"],
    ["notify"],
    ["platform/posix", "platform/win32"],
    ["plugins/common"],
    ["plugins/email", "plugins/reginfo", "plugins/sms"],
    ["ui"],
    ["platform"],
    ["platform/wx"],
    ["platform/gtk", "platform/msw"],
    ["monitor/ui", "notify/ui", "banners/ui", "conditions"],
    ["app"],
]
RANK = {folder: rank for rank, layer in enumerate(LAYERS) for folder in layer}
# Folders below the widget kit: no toolkit of any desktop.
CORE = {folder for folder in RANK if RANK[folder] < RANK["ui"]}
TOOLKIT = re.compile(r"#\s*include\s*<(wx|gtk|gdk|webkit2)/")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
MAX_FILE_LINES = 400
MAX_FUNCTION_LINES = 40


def sources():
    for root, _, names in os.walk(SRC):
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                path = os.path.join(root, name)
                yield os.path.relpath(path, SRC).replace(os.sep, "/"), path


def code_only(text):
    """The text with comments, strings and character literals blanked, lines kept."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|R"(\w*)\(.*?\)\1"|"(\\.|[^"\\\n])*"|\'(\\.|[^\'\\\n])*\'',
                         re.S)
    return pattern.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def long_functions(text):
    """(first line, lines) of each function longer than the limit, counted from the line of its
    opening brace to the line of its closing one."""
    code = code_only(text)
    found, stack, start = [], [], 0
    for i, ch in enumerate(code):
        if ch == "{":
            head = code[start:i]
            outer = not stack or stack[-1][0] == "scope"
            if re.search(r"\b(namespace|class|struct|union|enum)\b[^()]*$", head) or (
                    re.search(r'extern\s*$', head)):
                kind = "scope"
            elif outer and re.search(r"\)[^;()=]*$", head):
                kind = "function"
            else:
                kind = "block"
            stack.append((kind, i))
            start = i + 1
        elif ch == "}":
            if stack:
                kind, at = stack.pop()
                if kind == "function":
                    first = code.count("\n", 0, at) + 1
                    lines = code.count("\n", at, i) + 1  # from the brace's line to the closing one
                    if lines > MAX_FUNCTION_LINES:
                        found.append((first, lines))
            start = i + 1
        elif ch == ";":
            start = i + 1
    return found


def listed(folder):
    cmake = os.path.join(SRC, folder, "CMakeLists.txt")
    if not os.path.exists(cmake):
        return None
    return set(re.findall(r"[\w./-]+\.(?:cpp|h)\b", open(cmake, encoding="utf-8").read()))


def main():
    problems = []
    names = dict(sources())
    listings = {}
    for rel, path in names.items():
        folder = os.path.dirname(rel)
        text = open(path, encoding="utf-8").read()
        if folder not in RANK:
            problems.append(f"{rel}: folder {folder} has no layer")
            continue
        for inc in INCLUDE.findall(text):
            target = os.path.dirname(inc)
            if inc not in names or target == folder:
                continue
            if target not in RANK or RANK[target] >= RANK[folder]:
                problems.append(f"{rel}: includes {inc}, a folder not below {folder}")
        if folder in CORE and TOOLKIT.search(code_only(text)):
            problems.append(f"{rel}: a core folder includes a desktop toolkit")
        lines = text.count("\n")
        if lines > MAX_FILE_LINES:
            problems.append(f"{rel}: {lines} lines (at most {MAX_FILE_LINES})")
        for first, count in long_functions(text):
            problems.append(f"{rel}:{first}: a function of {count} lines (at most "
                            f"{MAX_FUNCTION_LINES})")
        if folder not in listings:
            listings[folder] = listed(folder)
        if listings[folder] is not None and os.path.basename(rel) not in listings[folder]:
            problems.append(f"{rel}: not listed in {folder}/CMakeLists.txt")
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
