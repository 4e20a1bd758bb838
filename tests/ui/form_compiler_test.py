#!/usr/bin/env python3
"""The form compiler refuses descriptions that would make wrong form data, and finds its
file: data where it says."""
import os
import subprocess
import sys
import tempfile

COMPILER = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools',
                        'form_compiler.py')

HEAD = 'symbol = kF\n[window 0x52000001]\n[unit 0x06000001 window]\n'

# Each description, and a piece of the error it must give (None: it must compile).
CASES = [
    (HEAD, None),
    ('[window 0x52000001]\n[unit 0x06000001 window]\n', 'no "symbol = NAME"'),
    (HEAD + 'Colour = 1\n', "unknown key 'Colour'"),
    (HEAD + 'Left = 1\nLeft = 2\n', 'given twice'),
    (HEAD + 'event 0 = A\nevent 0 = B\n', 'bound twice'),
    (HEAD + 'event 0 = 1abc\n', 'not a handler name'),
    ('symbol = kF\n[window 0x52000001]\n[unit 0x16000001 Button]\n', 'its "window" unit record'),
    ('symbol = kF\n[window 0x52000001]\n', 'needs its window record'),
    (HEAD + '[unit 0x06000001 Button]\n', 'used twice'),
    (HEAD + '[window 0x52000001]\n[unit 0x06000002 window]\n', 'window identifier is used twice'),
    (HEAD + '[unit 0x26000002 Button]\n', 'only they, have identifiers 0x26'),
    (HEAD + '[menu 0x16000002]\n', 'only they, have identifiers 0x26'),
    (HEAD + '[menu 0x26000002]\nCaption = "-"\nHandler = OnClick\n', 'a separator has no handler'),
    (HEAD + '[menu 0x26000002]\n[menu 0x26000003]\nCommandId = 20000\n', 'after the 1 counted items'),
    (HEAD + '[menu 0x26000002]\nCommandId = 20001\n[menu 0x26000003]\nCommandId = 20001\n', 'used twice'),
    (HEAD + '[unit 0x16000002 Button]\nParentId = 0x16000009\n', 'names no unit'),
    (HEAD + '[unit 0x16000002 Button]\nEventSourceId = 0x16000009\n', 'names no record'),
    (HEAD + '[unit 0x16000002 Button]\ndata.Colour = 1\n', 'has no field Colour'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.version = 1\ndata.DataSource = "s"\n',
     'only from version 2'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.version = 3\n', 'no version above 2'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.PasswordChar = 0x10000\n', '16-bit word'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.Font = hex:00\n', '60-byte LOGFONTA'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.Font = font:face="%s"\n' % ('x' * 32),
     'longer than 31 bytes'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata.Font = font:size=3\n', 'unknown font field'),
    (HEAD + '[unit 0x16000002 EditBox]\ndata = empty\ndata.Border = 1\n', 'cannot be mixed'),
    (HEAD + '[unit 0x16000002 0x00990001]\ndata.Border = 1\n', 'no known data layout'),
    (HEAD + 'Name = "a\\x00b"\n', 'cannot hold a zero byte'),
    (HEAD + 'Name = "\u0e01"\n', 'no code page 936 form'),
    (HEAD + 'Name = "\u20ac"\n', None),
    (HEAD + 'Name = "a\\q"\n', 'unknown escape'),
    (HEAD + 'Name = plain\n', 'must be in double quotes'),
    (HEAD + 'Left = 0x100000000\n', 'out of 32-bit range'),
    (HEAD + 'Rect = 1, 2, 3\n', 'Rect takes left, top, width, height'),
    (HEAD + 'MouseCursor = file:missing.ico\n', 'no file missing.ico'),
]


def run(text, tmp, *extra):
    path = os.path.join(tmp, 'form.txt')
    with open(path, 'w', encoding='utf-8') as f:
        f.write(text)
    out = os.path.join(tmp, 'form.cpp')
    p = subprocess.run([sys.executable, COMPILER, path, '-o', out, '--depfile', out + '.d'] +
                       list(extra), capture_output=True, text=True)
    return p.returncode, p.stderr, out


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for text, expected in CASES:
            code, err, _ = run(text, tmp)
            ok = code == 0 if expected is None else (code != 0 and expected in err)
            if not ok:
                failures += 1
                print('FAIL: %r\n  expected %r, got %d %s' % (text, expected, code, err.strip()))

        # file: data is found beside the description first, then in the search directories.
        pictures = os.path.join(tmp, 'pictures')
        os.mkdir(pictures)
        with open(os.path.join(pictures, 'p.bin'), 'wb') as f:
            f.write(b'\x01\x02')
        text = HEAD + ('MouseCursor = file:p.bin\nevent 0 = ns::On\nevent 1 = ns::On\n'
                       'event 2 = Other\n')
        code, err, out = run(text, tmp, '--search', pictures)
        source = open(out, encoding='utf-8').read() if code == 0 else ''
        deps = open(out + '.d', encoding='utf-8').read() if code == 0 else ''
        checks = [
            (code == 0, 'compiles with a search directory: ' + err),
            (os.path.join(pictures, 'p.bin') in deps, 'the depfile names the file it read'),
            (source.count('&ns::On)') == 1, 'a handler bound twice has one stub'),
            ('(&Other),  // 8' in source, 'the second handler is stub 1, offset 8'),
            (', 16};' in source, 'the stubs take 8 bytes each'),
            ('0x02, 0x00, 0x00, 0x00, 0x01, 0x02,' in source, 'the file bytes are stored'),
        ]
        for ok, what in checks:
            if not ok:
                failures += 1
                print('FAIL: ' + what)
    print('%d case(s) failed' % failures if failures else 'all cases passed')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
