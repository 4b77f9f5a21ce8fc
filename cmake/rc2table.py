#!/usr/bin/env python3
"""Compiles a resource script (.rc) into a C++ source of compiled-in resource tables, for the
platforms that have no resource section (POSIX). Usage:

    rc2table.py SCRIPT.rc OUTPUT.cpp [-I DIR]...

Understands the part of the resource-script language that the project's scripts use:
STRINGTABLE, ACCELERATORS, BITMAP and ICON statements, // and /* */ comments and preprocessor
lines (skipped). Manifests (type 24 / RT_MANIFEST) have no meaning here and are skipped. Anything
else is an error naming its line, so that a script and its tables never differ in silence.
"""
import os
import re
import sys

TOKEN = re.compile(r'\s+|//[^\n]*|/\*.*?\*/|"(?:[^"]|"")*"|[A-Za-z_][A-Za-z0-9_]*|0[xX][0-9A-Fa-f]+|\d+L?|[,{}|]',
                   re.S)


class RcError(Exception):
    pass


def tokens(text, name):
    """(kind, value, line) triples; preprocessor lines are left out."""
    text = re.sub(r'(?m)^[ \t]*#.*$', '', text)
    pos, line = 0, 1
    while pos < len(text):
        m = TOKEN.match(text, pos)
        if not m:
            raise RcError('%s:%d: unexpected character %r' % (name, line, text[pos]))
        value = m.group(0)
        if not (value.isspace() or value.startswith('//') or value.startswith('/*')):
            if value.startswith('"'):
                yield ('string', unquote(value[1:-1]), line)
            elif value[0].isdigit():
                yield ('number', int(value.rstrip('L'), 0), line)
            elif value[0].isalpha() or value[0] == '_':
                yield ('word', value, line)
            else:
                yield ('punct', value, line)
        line += value.count('\n')
        pos = m.end()


def unquote(s):
    out, i = [], 0
    while i < len(s):
        c = s[i]
        if c == '"' and i + 1 < len(s) and s[i + 1] == '"':
            out.append('"')
            i += 2
        elif c == '\\' and i + 1 < len(s):
            out.append({'n': '\n', 't': '\t', 'r': '\r', '\\': '\\', '"': '"', '0': '\0'}.get(s[i + 1], '\\' + s[i + 1]))
            i += 2
        else:
            out.append(c)
            i += 1
    return ''.join(out)


class Parser:
    def __init__(self, toks, name):
        self.toks, self.i, self.name = list(toks), 0, name

    def peek(self):
        return self.toks[self.i] if self.i < len(self.toks) else ('eof', None, 0)

    def take(self, kind=None, value=None):
        tok = self.peek()
        if (kind and tok[0] != kind) or (value is not None and tok[1] != value):
            raise RcError('%s:%d: expected %s, found %r' % (self.name, tok[2], value or kind, tok[1]))
        self.i += 1
        return tok

    def begin(self):
        tok = self.take()
        if tok[1] not in ('BEGIN', '{'):
            raise RcError('%s:%d: expected BEGIN, found %r' % (self.name, tok[2], tok[1]))

    def at_end(self):
        if self.peek()[1] in ('END', '}'):
            self.i += 1
            return True
        return False

    def comma(self):
        if self.peek()[1] == ',':
            self.i += 1


def parse(text, name):
    p = Parser(tokens(text, name), name)
    resources = []  # (type, id, payload)
    while p.peek()[0] != 'eof':
        tok = p.peek()
        if tok[1] == 'STRINGTABLE':
            p.take()
            while p.peek()[1] not in ('BEGIN', '{'):
                p.take()  # memory options
            p.begin()
            while not p.at_end():
                sid = p.take('number')[1]
                p.comma()
                resources.append(('string', sid, p.take('string')[1]))
            continue
        rid = p.take('number')[1]
        kind = p.take()
        if kind[1] == 'ACCELERATORS':
            p.begin()
            entries = []
            while not p.at_end():
                event = p.take()
                p.comma()
                command = p.take('number')[1]
                flags = 0
                while p.peek()[1] == ',':
                    p.take()
                    option = p.take('word')[1]
                    flags |= {'ASCII': 0, 'VIRTKEY': 0x01, 'NOINVERT': 0x02, 'SHIFT': 0x04,
                              'CONTROL': 0x08, 'ALT': 0x10}.get(option, -1)
                    if flags < 0:
                        raise RcError('%s:%d: unknown accelerator option %s' % (name, event[2], option))
                if event[0] == 'string':
                    key = event[1]
                    if len(key) == 2 and key[0] == '^':
                        code = ord(key[1].upper()) - 0x40
                    elif len(key) == 1:
                        code = ord(key)
                    else:
                        raise RcError('%s:%d: accelerator key %r is not one character' % (name, event[2], key))
                elif event[0] == 'number':
                    code = event[1]
                else:
                    raise RcError('%s:%d: accelerator key %r' % (name, event[2], event[1]))
                entries.append([flags, code, command])
            if entries:
                entries[-1][0] |= 0x80  # the end-of-table flag, as the resource compiler sets it
            resources.append(('acceleratorTable', rid, entries))
        elif kind[1] in ('BITMAP', 'ICON'):
            resources.append(('bitmap' if kind[1] == 'BITMAP' else 'iconGroup', rid, p.take('string')[1]))
        elif kind[1] in (24, 'RT_MANIFEST'):
            p.take('string')
        else:
            raise RcError('%s:%d: resource type %r is not supported' % (name, kind[2], kind[1]))
    return resources


def find(path, dirs, name):
    for d in dirs:
        candidate = os.path.join(d, path)
        if os.path.isfile(candidate):
            return candidate
    raise RcError('%s: file %s not found in %s' % (name, path, ', '.join(dirs)))


def c_bytes(data):
    lines = []
    for i in range(0, len(data), 24):
        lines.append('  ' + ','.join('0x%02x' % b for b in data[i:i + 24]) + ',')
    return '\n'.join(lines)


def generate(resources, dirs, name):
    out = ['// Generated by cmake/rc2table.py from %s: the program\'s resources as compiled-in tables.'
           % os.path.basename(name),
           '#include "iresourcetable.hpp"', '', 'namespace {', '']
    rows = []
    for n, (kind, rid, payload) in enumerate(resources):
        var = 'r%d_%s_%d' % (n, kind, rid)
        if kind == 'acceleratorTable':
            items = ', '.join('{0x%02x, 0x%02x, %d}' % tuple(e) for e in payload)
            out.append('const IAcceleratorEntry %s[] = {%s};' % (var, items))
            data = 'reinterpret_cast<const unsigned char*>(%s)' % var
        else:
            if kind == 'string':
                raw = payload.encode('utf-8')
            else:
                with open(find(payload, dirs, name), 'rb') as f:
                    raw = f.read()
            out.append('const unsigned char %s[] = {\n%s\n  0};' % (var, c_bytes(raw)))
            data = var
            # The array has one more byte (a terminator) than the resource.
            rows.append('  {IResourceEntry::%s, %d, %s, %d},' % (kind, rid, data, len(raw)))
            continue
        rows.append('  {IResourceEntry::%s, %d, %s, sizeof %s},' % (kind, rid, data, var))
    out += ['', 'const IResourceEntry entries[] = {'] + rows + ['};', '',
            'const IResourceTable table(entries, sizeof entries / sizeof entries[0]);', '',
            '} // namespace', '']
    return '\n'.join(out)


def main(argv):
    args, dirs = [], []
    it = iter(argv[1:])
    for a in it:
        if a == '-I':
            dirs.append(next(it))
        elif a.startswith('-I'):
            dirs.append(a[2:])
        else:
            args.append(a)
    if len(args) != 2:
        sys.stderr.write(__doc__)
        return 2
    script, output = args
    dirs = [os.path.dirname(os.path.abspath(script))] + dirs
    try:
        with open(script, encoding='utf-8') as f:
            resources = parse(f.read(), script)
        text = generate(resources, dirs, script)
    except (RcError, OSError) as e:
        sys.stderr.write('rc2table: %s\n' % e)
        return 1
    with open(output + '.tmp', 'w') as f:
        f.write(text)
    os.replace(output + '.tmp', output)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
