#!/usr/bin/env python3
"""Writes the web edition's page with its scripts inlined: the program's
JavaScript, the page's own and the AudioWorklet (as a percent-encoded
data: URL, which a page opened from file:// may load). Given the program's
WebAssembly too, it writes the one-file edition: the program gzipped and
carried byte for byte as the characters of a windows-1252 page (a few
escaped for the string literal and the HTML parser), unpacked by the page
with DecompressionStream. Base64 would make the program a third larger.

  make_page.py TEMPLATE PAGE_JS WORKLET PROGRAM_JS OUTPUT [PROGRAM_WASM]
"""
import gzip
import json
import sys
import urllib.parse

SCRIPT_TAG = '<script src="page.js"></script>'
UTF8_META = '<meta charset="utf-8">'
PROGRAM_MARK = '<!-- the program -->'
# What the AudioWorklet's data: URL keeps as it is: it stays readable and
# compresses better than base64. Not '<', so that it cannot end the script.
URL_SAFE = "!'()*-._~:;,/=+&?[]{}|^$@"
# Bytes a double-quoted script string cannot hold as they are: the quote, the
# escape, line ends (the HTML parser also turns CR into LF), NUL (which it
# replaces) and '<' (which could end the script).
ESCAPES = {ord('"'): b'\\"', ord('\\'): b'\\\\', ord('\n'): b'\\n', ord('\r'): b'\\r', ord('<'): b'\\<'}


def read(path):
    with open(path, 'rb') as file:
        return file.read()


def inline_script(code):
    text = code.decode('utf-8')
    if '</script' in text.lower():
        sys.exit('make_page: a script holds "</script"')
    return '<script>' + text.strip() + '</script>'


def script_string(data):
    """The bytes as a double-quoted JavaScript string, one character each when
    read as windows-1252."""
    out = bytearray(b'"')
    for index, byte in enumerate(data):
        if byte == 0:
            follows_digit = data[index + 1:index + 2].isdigit()
            out += b'\\x00' if follows_digit else b'\\0'
        else:
            out += ESCAPES.get(byte, bytes([byte]))
    return bytes(out + b'"')


def main(template, page_js, worklet, program_js, output, program_wasm=None):
    build = {'worklet': 'data:text/javascript,' + urllib.parse.quote(read(worklet).decode('utf-8'), safe=URL_SAFE)}
    scripts = ['<script>window.tarnovexBuild = ' + json.dumps(build) + ';</script>']
    if program_wasm:
        scripts.append(PROGRAM_MARK)
    scripts += [inline_script(read(program_js)), inline_script(read(page_js))]
    page = read(template).decode('utf-8')
    if page.count(SCRIPT_TAG) != 1:
        sys.exit('make_page: the template must load page.js once')
    page = page.replace(SCRIPT_TAG, '\n'.join(scripts))
    if not program_wasm:
        with open(output, 'w', encoding='utf-8') as file:
            file.write(page)
        return
    if page.count(UTF8_META) != 1:
        sys.exit('make_page: the template must declare its charset once')
    packed = gzip.compress(read(program_wasm), compresslevel=9, mtime=0)
    program = b'<script>window.tarnovexBuild.program = ' + script_string(packed) + b';</script>'
    page = page.replace(UTF8_META, '<meta charset="windows-1252">')
    before, after = page.encode('cp1252').split(PROGRAM_MARK.encode())
    with open(output, 'wb') as file:
        file.write(before + program + after)


if __name__ == '__main__':
    if len(sys.argv) not in (6, 7):
        sys.exit(__doc__)
    main(*sys.argv[1:])
