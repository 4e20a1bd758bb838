#!/usr/bin/env python3
r"""Compiles a readable form description into the program's form data.

    form_compiler.py DESCRIPTION -o OUT.cpp [--depfile OUT.d] [--search DIR]...

The output is a C++ source that holds the form data block, a table of the handlers that
the event bindings name, and a run of 8-byte jump stubs, one per handler. The first stub
is the handler base, so the handler with number k is stored as offset 8 * k. The source
defines `extern const FormDataImage <symbol>` (ui/form_data.h).

Description format (UTF-8; texts are stored as code page 936):

    # comment                       a line whose first non-blank character is '#'
    symbol = kProgramForm           C++ name of the FormDataImage (required)
    include = shell/handlers.h      header declaring the handlers (any number)

    [window 0x52010004]             a window, in window-table order
    Word1 = 0                       also Word2, WindowName, WindowRemark

    [unit 0x06010003 window]        a unit record: identifier, type name or number;
    Rect = 50, 50, 663, 434         the first record of a window is its `window` record
    UnitFlags = visible tabstop     names (visible disabled tabstop) or a number
    event 0 = OnCreated             event number = handler name, or '-' for none
    data.Title = "文汇通 v1.0"      the type's own properties, by field name

    [menu 0x2601589e]               a menu record
    Level = 0
    Caption = "关于作者"
    MenuFlags = hidden              names (hidden disabled checked) or a number
    Handler = -

Unit keys: Name Remark UnitTypeId EventSourceId Rect (or Left Top Width Height) ParentId
ChildIds (default: the units whose ParentId names this one; for the window record, those
with ParentId 0) MouseCursor (default: the 4 zero bytes of the default cursor) Tag
UnitFlags TabOrder, `event N`, `data`, `data.FIELD`, `data.version`.
Menu keys: Name Remark UnitTypeId EventSourceId ShortcutIndex Level MenuFlags Caption
Handler CommandId (written after the reserved bytes only when given: the item's command id,
kept whatever stands before it; the items without one count up from 20000).

Unit data: without any data key the block is empty (every property at its default). With
`data.FIELD` keys the block is written in full at the type's latest version, or at
`data.version`, fields not given taking their defaults. `data = empty` forces an empty
block, `data = hex:...` gives the raw bytes.

The field names are those of the data structures in ui/form_data.h; list fields
(SupperMenu Colours, ExtraColours) take comma-separated values, missing ones defaulting.

Values: numbers (decimal, 0x hex, negative); texts in double quotes with the escapes
\\ \" \r \n \t \xNN (a raw byte); byte data (Blob) as empty, hex:0a0b.., file:NAME
(beside the description, else in a --search directory), a quoted text, or
font:height=-12, weight=400, charset=1, face="Name" (a LOGFONTA image; the other fields
are width escapement orientation italic underline strikeout outprecision clipprecision
quality pitchandfamily); lists separated by commas.
"""

import argparse
import os
import re
import struct
import sys

STUB_SIZE = 8

TYPE_IDS = {
    'window': 0x00010001,
    'EditBox': 0x00010005,
    'PicBox': 0x00010006,
    'GroupBox': 0x00010009,
    'Button': 0x0001000b,
    'RadioBox': 0x0001000d,
    'StatusBar': 0x00020002,
    'TransLabel': 0x00020005,
    'SupperMenu': 0x00040001,
    'SuperBtn': 0x00050001,
}
MENU_TYPE_ID = 0x00010003
DEFAULT = 0xff000000

# Field kinds of the unit data layouts.
INT, U16, LTEXT, BLOB, FONT = 'int', 'u16', 'ltext', 'blob', 'font'


def F(name, kind, default=None, since=0, part=None):
    """A field: name, kind, default, first version that stores it, and for an array field
    the slice (start, end) of the array stored at this point."""
    if default is None and part is None:
        default = 0 if kind in (INT, U16) else b''
    return (name, kind, default, since, part)


# Stored order of every layout, with the defaults used when a field is not given.
LAYOUTS = {
    'window': (6, [
        F('BorderStyle', INT, 2), F('BackPictureMode', INT, 1), F('BackColour', INT, DEFAULT),
        F('MaxButton', INT, 0), F('MinButton', INT, 1), F('ControlBox', INT, 1),
        F('Position', INT, 1), F('Movable', INT, 1), F('MusicMode', INT, 0),
        F('Flag21', INT, 0), F('Flag22', INT, 1), F('Flag23', INT, 0), F('Number25', INT, 0),
        F('ShowInTaskbar', INT, 1, since=2), F('Flag27', INT, 0, since=3),
        F('Shape', INT, 0, since=3), F('AlwaysOnTop', INT, 0, since=4),
        F('Flag30', INT, 0, since=5), F('WindowClassName', LTEXT, since=6),
        F('BackPicture', BLOB), F('Icon', BLOB), F('BackMusic', BLOB),
        F('Title', LTEXT), F('Text24', LTEXT),
    ]),
    'EditBox': (2, [
        F('Border', INT, 1), F('TextColour', INT, 0), F('BackColour', INT, 0x00ffffff),
        F('HideSelection', INT, 1), F('MaxLength', INT, 0), F('MultiLine', INT, 0),
        F('ScrollBars', INT, 0), F('Alignment', INT, 0), F('InputMode', INT, 0),
        F('PasswordChar', U16, 42), F('CaseConversion', INT, 0), F('SpinMode', INT, 0),
        F('SpinMin', INT, 0), F('SpinMax', INT, 100), F('SelStart', INT, 0),
        F('SelLength', INT, 0), F('Font', FONT), F('Content', LTEXT),
        F('DataSource', LTEXT, since=2), F('DataColumn', LTEXT, since=2),
    ]),
    'PicBox': (2, [
        F('Border', INT, 0), F('BackColour', INT, DEFAULT), F('DisplayMode', INT, 0),
        F('PlayAnimation', INT, 1), F('Picture', BLOB),
        F('DataSource', LTEXT, since=2), F('DataColumn', LTEXT, since=2),
    ]),
    'GroupBox': (1, [
        F('TitleAlign', INT, 0), F('TextColour', INT, 0), F('BackColour', INT, DEFAULT),
        F('Font', FONT), F('Caption', LTEXT),
    ]),
    'Button': (1, [
        F('ButtonType', INT, 0), F('HAlign', INT, 1), F('VAlign', INT, 1),
        F('Picture', BLOB), F('Font', FONT), F('Caption', LTEXT),
    ]),
    'RadioBox': (1, [
        F('PushLike', INT, 0), F('Flat', INT, 0), F('LeftText', INT, 0), F('HAlign', INT, 0),
        F('VAlign', INT, 1), F('TextColour', INT, 0), F('BackColour', INT, DEFAULT),
        F('Checked', INT, 0), F('Picture', BLOB), F('Font', FONT), F('Caption', LTEXT),
    ]),
    'StatusBar': (1, [
        F('BackColour', INT, DEFAULT), F('Pick9', INT, 0), F('Flag10', INT, 0),
        F('Font', FONT), F('ImageList', BLOB), F('Panels', BLOB),
    ]),
    'TransLabel': (1, [
        F('Pick9', INT, 0), F('TextColour', INT, 0), F('Pick12', INT, 0), F('Pick14', INT, 1),
        F('Flag13', INT, 0), F('Font', FONT), F('Caption', LTEXT, '透明标签'.encode('gbk')),
    ]),
    'SuperBtn': (2, [
        F('BtnStyle', INT, 0), F('CheckBox', INT, 0), F('Checked', INT, 0),
        F('AlignStyle', INT, 0), F('PressStyle', INT, 0), F('DrawBorder', INT, 1),
        F('DrawFocus', INT, 0), F('TransColorIn', INT, DEFAULT), F('TransColorOut', INT, DEFAULT),
        F('DefaultColor', INT, 1), F('StandardSound', INT, 0), F('DefaultStyle', INT, 0),
        F('FgColorOut', INT, 0x000000), F('BkColorOut', INT, 0xf0f0f0),
        F('FgColorIn', INT, 0x000000), F('BkColorIn', INT, 0xffffff),
        F('FgColorFocus', INT, 0x000000), F('BkColorFocus', INT, 0xf0f0f0),
        F('PicIn', BLOB), F('PicOut', BLOB), F('font', FONT), F('OverSound', BLOB),
        F('ClickSound', BLOB), F('caption', LTEXT), F('ToolTip', LTEXT),
        F('TransColorDisabled', INT, DEFAULT, since=2), F('PicDisabled', BLOB, since=2),
    ]),
    'SupperMenu': (4, [
        F('Colours', INT, [0x00ececec, 0x00808080, 0x00ccf4ff, 0x009dd7ff, 0x00ffffff,
                           0x00c2eeff, 0x00000000, 0x00808080, 0x00000000, 0x00ffffff],
          part=(0, 6)),
        F('Theme', INT, 0),
        F('Colours', INT, None, part=(6, 10)),
        F('ImageList', BLOB), F('CustomData', BLOB),
        F('ExtraColours', INT, [DEFAULT, DEFAULT], since=2, part=(0, 2)),
        F('Font', FONT, since=3), F('FontFace', LTEXT, since=4), F('FontWeight', INT, 400, since=4),
    ]),
}


class FormError(Exception):
    pass


def fail(where, message):
    raise FormError('%s: %s' % (where, message))


# ---- Values --------------------------------------------------------------------------

def parse_int(text, where):
    try:
        v = int(text.strip(), 0)
    except ValueError:
        fail(where, 'not a number: %r' % text)
    if not -0x80000000 <= v <= 0xffffffff:
        fail(where, 'number out of 32-bit range: %s' % text)
    return v & 0xffffffff


def parse_int_list(text, where):
    text = text.strip()
    if not text:
        return []
    return [parse_int(part, where) for part in text.split(',')]


def parse_text(text, where):
    """A quoted text: its code page 936 bytes."""
    text = text.strip()
    if len(text) < 2 or text[0] != '"' or text[-1] != '"':
        fail(where, 'a text must be in double quotes: %s' % text)
    body = text[1:-1]
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c == '"':
            fail(where, 'unescaped quote in text')
        if c != '\\':
            try:
                # Python's gbk lacks the euro sign that code page 936 keeps at 0x80.
                out += b'\x80' if c == '\u20ac' else c.encode('gbk')
            except UnicodeEncodeError:
                fail(where, 'character %r has no code page 936 form' % c)
            i += 1
            continue
        if i + 1 >= len(body):
            fail(where, 'text ends in a backslash')
        e = body[i + 1]
        simple = {'\\': b'\\', '"': b'"', 'r': b'\r', 'n': b'\n', 't': b'\t'}
        if e in simple:
            out += simple[e]
            i += 2
        elif e == 'x' and re.match(r'[0-9a-fA-F]{2}$', body[i + 2:i + 4]):
            out.append(int(body[i + 2:i + 4], 16))
            i += 4
        else:
            fail(where, 'unknown escape \\%s' % e)
    return bytes(out)


def parse_ctext(text, where):
    b = parse_text(text, where)
    if b'\0' in b:
        fail(where, 'a zero-terminated text cannot hold a zero byte')
    return b


def logfont(text, where):
    fields = {'height': 0, 'width': 0, 'escapement': 0, 'orientation': 0, 'weight': 0,
              'italic': 0, 'underline': 0, 'strikeout': 0, 'charset': 0, 'outprecision': 0,
              'clipprecision': 0, 'quality': 0, 'pitchandfamily': 0}
    face = b''
    item = re.compile(r'\s*([A-Za-z]+)\s*=\s*("(?:[^"\\]|\\.)*"|[^,"]*?)\s*(?:,|$)')
    pos = 0
    while pos < len(text) and text[pos:].strip():
        m = item.match(text, pos)
        if not m or m.end() == pos:
            fail(where, 'font fields are "name=value" separated by commas')
        pos = m.end()
        key, value = m.group(1).lower(), m.group(2)
        if key == 'face':
            face = parse_ctext(value, where)
        elif key in fields:
            fields[key] = parse_int(value, where)
        else:
            fail(where, 'unknown font field %r' % m.group(1))
    if len(face) > 31:
        fail(where, 'font face name longer than 31 bytes')
    signed = lambda v: v - 0x100000000 if v >= 0x80000000 else v
    for k in ('italic', 'underline', 'strikeout', 'charset', 'outprecision', 'clipprecision',
              'quality', 'pitchandfamily'):
        if fields[k] > 255:
            fail(where, 'font field %s must be a byte' % k)
    return struct.pack('<5i8B32s', *(signed(fields[k]) for k in
                                      ('height', 'width', 'escapement', 'orientation', 'weight')),
                       *(fields[k] for k in ('italic', 'underline', 'strikeout', 'charset',
                                             'outprecision', 'clipprecision', 'quality',
                                             'pitchandfamily')),
                       face.ljust(32, b'\0'))


def find_file(name, dirs, where):
    for d in dirs:
        path = os.path.join(d, name)
        if os.path.isfile(path):
            return path
    fail(where, 'no file %s in %s' % (name, ', '.join(dirs)))


def parse_blob(text, where, file_dirs, inputs):
    text = text.strip()
    if text == 'empty':
        return b''
    if text.startswith('hex:'):
        digits = re.sub(r'\s+', '', text[4:])
        if len(digits) % 2 or not re.match(r'[0-9a-fA-F]*$', digits):
            fail(where, 'bad hex bytes')
        return bytes.fromhex(digits)
    if text.startswith('file:'):
        path = find_file(text[5:].strip(), file_dirs, where)
        inputs.append(os.path.abspath(path))
        try:
            with open(path, 'rb') as f:
                return f.read()
        except OSError as e:
            fail(where, 'cannot read %s: %s' % (path, e.strerror))
    if text.startswith('font:'):
        return logfont(text[5:], where)
    if text.startswith('"'):
        return parse_text(text, where)
    fail(where, 'not byte data: %s' % text)


def parse_flags(text, names, where):
    value = 0
    for token in re.split(r'[\s|]+', text.strip()):
        if not token:
            continue
        if token in names:
            value |= names[token]
        else:
            value |= parse_int(token, where)
    return value


HANDLER_NAME = re.compile(r'(?:::)?[^\W\d][\w]*(?:::[^\W\d][\w]*)*$')


def parse_handler(text, where):
    text = text.strip()
    if text == '-':
        return None
    if not HANDLER_NAME.match(text):
        fail(where, 'not a handler name: %s' % text)
    return text


# ---- Description -----------------------------------------------------------------------

class Record:
    def __init__(self, rid, kind, type_name, where):
        self.id, self.kind, self.type_name, self.where = rid, kind, type_name, where
        self.keys = {}      # key -> (value text, where)
        self.used = set()
        self.events = []    # (event number, handler name or None, where)


class Window:
    def __init__(self, wid, where):
        self.id, self.where = wid, where
        self.keys = {}
        self.records = []


def read_description(path):
    top = {'include': []}
    windows = []
    current = None  # the Window or Record that takes keys
    with open(path, encoding='utf-8') as f:
        lines = f.read().splitlines()
    for number, raw in enumerate(lines, 1):
        where = '%s:%d' % (path, number)
        line = raw.strip()
        if not line or line.startswith('#'):
            continue
        m = re.match(r'\[(\w+)\s+([^\]\s]+)(?:\s+([^\]\s]+))?\s*\]$', line)
        if m:
            section, rid, type_name = m.group(1), parse_int(m.group(2), where), m.group(3)
            if section == 'window':
                if type_name:
                    fail(where, 'a window section takes only an identifier')
                current = Window(rid, where)
                windows.append(current)
                continue
            if not windows:
                fail(where, 'a record before the first window')
            if section == 'unit':
                if not type_name:
                    fail(where, 'a unit section needs a type')
                current = Record(rid, 'unit', type_name, where)
            elif section == 'menu':
                if type_name:
                    fail(where, 'a menu section takes only an identifier')
                current = Record(rid, 'menu', None, where)
            else:
                fail(where, 'unknown section [%s]' % section)
            windows[-1].records.append(current)
            continue
        m = re.match(r'([^=]+?)\s*=\s*(.*)$', line)
        if not m:
            fail(where, 'expected "key = value"')
        key, value = m.group(1), m.group(2)
        if current is None:
            if key == 'include':
                top['include'].append(value.strip())
            elif key == 'symbol':
                top['symbol'] = (value.strip(), where)
            else:
                fail(where, 'unknown key %r' % key)
            continue
        ev = re.match(r'event\s+(-?\d+)$', key)
        if ev and isinstance(current, Record) and current.kind == 'unit':
            if any(e[0] == int(ev.group(1)) for e in current.events):
                fail(where, 'event %s bound twice' % ev.group(1))
            current.events.append((int(ev.group(1)), parse_handler(value, where), where))
            continue
        if key in current.keys:
            fail(where, 'key %r given twice' % key)
        current.keys[key] = (value, where)
    if 'symbol' not in top:
        fail(path, 'no "symbol = NAME"')
    if not re.match(r'[A-Za-z_]\w*$', top['symbol'][0]):
        fail(top['symbol'][1], 'the symbol must be a C++ identifier')
    return top, windows


class Packer:
    def __init__(self):
        self.b = bytearray()

    def u32(self, v):
        self.b += struct.pack('<I', v & 0xffffffff)

    def u16(self, v):
        if v > 0xffff:
            raise ValueError
        self.b += struct.pack('<H', v)

    def ctext(self, s):
        self.b += s + b'\0'

    def ltext(self, s):
        self.u32(len(s))
        self.b += s

    blob = ltext


class Compiler:
    def __init__(self, path, search=()):
        self.path = path
        self.file_dirs = [os.path.dirname(os.path.abspath(path))] + list(search)
        self.inputs = []
        self.handlers = []  # names, in order of first use; number k is stub k

    def handler_offset(self, name):
        if name is None:
            return 0xffffffff
        if name not in self.handlers:
            self.handlers.append(name)
        return STUB_SIZE * self.handlers.index(name)

    def unit_data(self, rec, type_name):
        data_keys = {k: v for k, v in rec.keys.items() if k == 'data' or k.startswith('data.')}
        if 'data' in data_keys:
            if len(data_keys) > 1:
                fail(data_keys['data'][1], '"data =" cannot be mixed with data fields')
            value, where = data_keys['data']
            if value.strip() == 'empty':
                return b''
            if value.strip().startswith('hex:'):
                return parse_blob(value, where, self.file_dirs, self.inputs)
            fail(where, '"data" takes empty or hex:...')
        if not data_keys:
            return b''
        if type_name not in LAYOUTS:
            fail(rec.where, 'type %s has no known data layout: use data = hex:...' % type_name)
        latest, fields = LAYOUTS[type_name]
        version = latest
        if 'data.version' in data_keys:
            value, where = data_keys.pop('data.version')
            version = parse_int(value, where)
            if version > latest:
                fail(where, '%s data has no version above %d' % (type_name, latest))
        known = {}
        for f in fields:
            known.setdefault(f[0], f)
        values = {}
        for key, (value, where) in data_keys.items():
            name = key[5:]
            if name not in known:
                fail(where, '%s data has no field %s' % (type_name, name))
            field = known[name]
            if field[3] > version:
                fail(where, 'field %s is stored only from version %d' % (name, field[3]))
            kind, default = field[1], field[2]
            if isinstance(default, list):
                items = parse_int_list(value, where)
                if not 1 <= len(items) <= len(default):
                    fail(where, '%s takes 1 to %d values' % (name, len(default)))
                values[name] = items + default[len(items):]
            elif kind in (INT, U16):
                values[name] = parse_int(value, where)
                if kind == U16 and values[name] > 0xffff:
                    fail(where, '%s is a 16-bit word' % name)
            elif kind == LTEXT:
                values[name] = parse_text(value, where)
            else:
                values[name] = parse_blob(value, where, self.file_dirs, self.inputs)
                if kind == FONT and len(values[name]) not in (0, 60):
                    fail(where, 'a font is empty or a 60-byte LOGFONTA image')
        p = Packer()
        p.u32(version)
        defaults = {name: f[2] for name, f in known.items()}
        for name, kind, _, since, part in fields:
            if since > version:
                continue
            v = values.get(name, defaults[name])
            if part:
                for item in v[part[0]:part[1]]:
                    p.u32(item)
            elif kind == INT:
                p.u32(v)
            elif kind == U16:
                p.u16(v)
            else:
                p.blob(v)
        return bytes(p.b)

    def take(self, rec, key, parse, default):
        if key not in rec.keys:
            return default
        rec.used.add(key)
        value, where = rec.keys[key]
        return parse(value, where)

    def record_body(self, rec, window, index):
        p = Packer()
        if rec.kind == 'menu':
            type_id = MENU_TYPE_ID
        elif rec.type_name in TYPE_IDS:
            type_id = TYPE_IDS[rec.type_name]
        else:
            type_id = parse_int(rec.type_name, rec.where)
        type_id = self.take(rec, 'UnitTypeId', parse_int, type_id)
        p.u32(type_id)
        source = self.take(rec, 'EventSourceId', parse_int, 0)
        if source and not any(r.id == source for r in window.records):
            fail(rec.where, 'EventSourceId 0x%08x names no record of the window' % source)
        p.u32(source)
        p.b += bytes(16)
        p.ctext(self.take(rec, 'Name', parse_ctext, b''))
        p.ctext(self.take(rec, 'Remark', parse_ctext, b''))
        if rec.kind == 'menu':
            p.u32(self.take(rec, 'ShortcutIndex', parse_int, 0))
            p.u32(self.take(rec, 'Level', parse_int, 0))
            p.u32(self.take(rec, 'MenuFlags', lambda v, w: parse_flags(
                v, {'hidden': 1, 'disabled': 2, 'checked': 4}, w), 0))
            caption = self.take(rec, 'Caption', parse_ctext, b'')
            p.ctext(caption)
            handler = self.take(rec, 'Handler', parse_handler, None)
            if caption == b'-' and handler is not None:
                fail(rec.where, 'a separator has no handler')
            p.u32(self.handler_offset(handler))
            p.b += bytes(16)
            command = self.take(rec, 'CommandId', parse_int, 0)
            if command:
                p.u32(command)
        else:
            data = self.unit_data(rec, rec.type_name)
            rec.used.update(k for k in rec.keys if k == 'data' or k.startswith('data.'))
            rect = self.take(rec, 'Rect', parse_int_list, None)
            if rect is not None and len(rect) != 4:
                fail(rec.where, 'Rect takes left, top, width, height')
            rect = rect or [0, 0, 0, 0]
            p.u32(0)  # ObjectSlot
            for i, name in enumerate(('Left', 'Top', 'Width', 'Height')):
                p.u32(self.take(rec, name, parse_int, rect[i]))
            p.u32(0)  # CursorSlot
            parent = self.take(rec, 'ParentId', parse_int, 0)
            if parent and not any(r.id == parent and r.kind == 'unit' for r in window.records):
                fail(rec.where, 'ParentId 0x%08x names no unit of the window' % parent)
            if index == 0 and parent:
                fail(rec.where, 'the window record has no parent')
            if index == 0:
                children = [r.id for r in window.records[1:]
                            if r.kind == 'unit' and self.parent_of(r) == 0]
            else:
                children = [r.id for r in window.records if r.kind == 'unit' and r is not rec
                            and self.parent_of(r) == rec.id]
            children = self.take(rec, 'ChildIds', parse_int_list, children)
            p.u32(parent)
            p.u32(len(children))
            for c in children:
                p.u32(c)
            p.blob(self.take(rec, 'MouseCursor',
                             lambda v, w: parse_blob(v, w, self.file_dirs, self.inputs), bytes(4)))
            p.ctext(self.take(rec, 'Tag', parse_ctext, b''))
            p.u32(0)
            p.u32(self.take(rec, 'UnitFlags', lambda v, w: parse_flags(
                v, {'visible': 1, 'disabled': 2, 'tabstop': 4}, w), 0))
            p.u32(self.take(rec, 'TabOrder', parse_int, 0))
            p.u32(len(rec.events))
            for number, handler, _ in rec.events:
                p.u32(number)
                p.u32(self.handler_offset(handler))
            p.b += bytes(20)
            p.b += data
        for key, (_, where) in rec.keys.items():
            if key not in rec.used:
                fail(where, 'unknown key %r for a %s record' % (key, rec.kind))
        return bytes(p.b)

    def parent_of(self, rec):
        value = rec.keys.get('ParentId')
        return parse_int(value[0], value[1]) if value else 0

    def window_block(self, window):
        keys = dict(window.keys)
        if not window.records:
            fail(window.where, 'a window needs its window record')
        first = window.records[0]
        if first.kind != 'unit' or first.type_name != 'window':
            fail(first.where, 'the first record of a window is its "window" unit record')
        seen = set()
        for r in window.records:
            if r.id in seen:
                fail(r.where, 'identifier 0x%08x used twice in the window' % r.id)
            seen.add(r.id)
            # The kind of a record is decided by its identifier.
            if (r.kind == 'menu') != ((r.id >> 24) == 0x26):
                fail(r.where, 'menu records, and only they, have identifiers 0x26xxxxxx')
        self.check_command_ids(window)
        bodies = [self.record_body(r, window, i) for i, r in enumerate(window.records)]
        table = Packer()
        for r in window.records:
            table.u32(r.id)
        offset = 0
        for body in bodies:
            table.u32(offset)
            offset += 4 + len(body)
        for body in bodies:
            table.u32(len(body))
            table.b += body
        p = Packer()
        for name in ('Word1', 'Word2'):
            v = keys.pop(name, None)
            p.u32(parse_int(*v) if v else 0)
        for name in ('WindowName', 'WindowRemark'):
            v = keys.pop(name, None)
            p.ltext(parse_text(*v) if v else b'')
        for key, (_, where) in keys.items():
            fail(where, 'unknown key %r for a window' % key)
        p.u32(len(window.records))
        p.u32(len(table.b))
        p.b += table.b
        return bytes(p.b)

    @staticmethod
    def check_command_ids(window):
        # An item's own id may not be one the counted items get, nor another item's.
        menus = [r for r in window.records if r.kind == 'menu']
        given = [(r, parse_int(*r.keys['CommandId'])) for r in menus if 'CommandId' in r.keys]
        counted = len(menus) - len(given)
        seen = set()
        for r, command in given:
            if not 20000 + counted <= command < 57600:
                fail(r.where, 'CommandId %d is not between %d (after the %d counted items) and 57599'
                     % (command, 20000 + counted, counted))
            if command in seen:
                fail(r.where, 'CommandId %d is used twice' % command)
            seen.add(command)

    def compile(self):
        top, windows = read_description(self.path)
        ids = [w.id for w in windows]
        if len(set(ids)) != len(ids):
            fail(self.path, 'a window identifier is used twice')
        blocks = [self.window_block(w) for w in windows]
        p = Packer()
        p.u32(8 * len(windows))
        for w in windows:
            p.u32(w.id)
        for _ in windows:
            p.u32(0)
        for b in blocks:
            p.b += b
        return top, bytes(p.b)


def cpp_source(description, top, data, handlers):
    symbol = top['symbol'][0]
    prefix = 'wht_form_' + symbol
    out = []
    out.append('// Generated by tools/form_compiler.py from %s. Do not edit: change the description.'
               % description)
    out.append('#include <cstdint>')
    out.append('')
    out.append('#include "ui/form_data.h"')
    for inc in top['include']:
        out.append('#include "%s"' % inc)
    out.append('')
    out.append('#define WHT_FORM_STR2(x) #x')
    out.append('#define WHT_FORM_STR(x) WHT_FORM_STR2(x)')
    out.append('#define WHT_FORM_SYM(name) WHT_FORM_STR(__USER_LABEL_PREFIX__) #name')
    out.append('')
    out.append('namespace {')
    out.append('alignas(4) const uint8_t kBytes[%d] = {' % max(len(data), 1))
    for i in range(0, len(data), 16):
        out.append('    ' + ' '.join('0x%02x,' % b for b in data[i:i + 16]))
    out.append('};')
    out.append('}  // namespace')
    out.append('')
    if handlers:
        out.append('// Handler k is entry k; stub k, at 8 * k from the base, jumps through it.')
        out.append('extern "C" __attribute__((used)) void (*const %s_handlers[])() = {' % prefix)
        for k, name in enumerate(handlers):
            out.append('    reinterpret_cast<void (*)()>(&%s),  // %d' % (name, STUB_SIZE * k))
        out.append('};')
        out.append('')
    out.append('extern "C" __attribute__((naked, aligned(%d), used)) void %s_stubs() {'
               % (STUB_SIZE, prefix))
    if handlers:
        # An indirect jmp is 6 bytes on both targets (a 32-bit absolute address on i686, a
        # 32-bit displacement from the next instruction on x86_64); two int3 make it 8.
        for arch, word, mode in (('defined(__x86_64__)', 8, '(%rip)'), ('defined(__i386__)', 4, '')):
            out.append('#%s %s' % ('if' if word == 8 else 'elif', arch))
            out.append('    asm(')
            for k in range(len(handlers)):
                out.append('        "\\tjmp *" WHT_FORM_SYM(%s_handlers) "+%d%s\\n\\tint3\\n\\tint3\\n"'
                           % (prefix, word * k, mode))
            out.append('    );')
        out.append('#else')
        out.append('#error "handler stubs are written for i686 and x86_64"')
        out.append('#endif')
    else:
        out.append('    asm("\\tint3\\n");')
    out.append('}')
    out.append('')
    out.append('extern const FormDataImage %s = {kBytes, %d, reinterpret_cast<uintptr_t>(&%s_stubs), %d};'
               % (symbol, len(data), prefix, STUB_SIZE * len(handlers)))
    return '\n'.join(out) + '\n'


def main(argv):
    ap = argparse.ArgumentParser(description='Compiles a form description into form data.')
    ap.add_argument('description')
    ap.add_argument('-o', '--output', required=True)
    ap.add_argument('--depfile')
    ap.add_argument('--search', action='append', default=[], metavar='DIR',
                    help='a further directory for file: data')
    args = ap.parse_args(argv)
    compiler = Compiler(args.description, args.search)
    try:
        top, data = compiler.compile()
    except FormError as e:
        sys.stderr.write('form_compiler: %s\n' % e)
        return 1
    source = cpp_source(os.path.basename(args.description), top, data, compiler.handlers)
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, 'w', encoding='utf-8') as f:
        f.write(source)
    if args.depfile:
        deps = [os.path.abspath(args.description), os.path.abspath(__file__)] + compiler.inputs
        with open(args.depfile, 'w', encoding='utf-8') as f:
            f.write('%s: %s\n' % (os.path.abspath(args.output).replace(' ', '\\ '),
                                  ' '.join(d.replace(' ', '\\ ') for d in deps)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
