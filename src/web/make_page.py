#!/usr/bin/env python3
"""Writes the web edition's page with its scripts inlined: the program's
JavaScript, the page's own and the AudioWorklet (as a data: URL, which a
page opened from file:// may load). Given the program's WebAssembly too, it
writes the one-file edition: the program gzipped and in base64, unpacked by
the page with DecompressionStream.

  make_page.py TEMPLATE PAGE_JS WORKLET PROGRAM_JS OUTPUT [PROGRAM_WASM]
"""
import base64
import gzip
import json
import sys

SCRIPT_TAG = '<script src="page.js"></script>'


def read(path):
    with open(path, 'rb') as file:
        return file.read()


def inline_script(code):
    text = code.decode('utf-8')
    if '</script' in text.lower():
        sys.exit('make_page: a script holds "</script"')
    return '<script>' + text.strip() + '</script>'


def main(template, page_js, worklet, program_js, output, program_wasm=None):
    build = {'worklet': 'data:text/javascript;base64,' + base64.b64encode(read(worklet)).decode()}
    if program_wasm:
        packed = gzip.compress(read(program_wasm), compresslevel=9, mtime=0)
        build['program'] = base64.b64encode(packed).decode()
    scripts = '\n'.join([
        '<script>window.tarnovexBuild = ' + json.dumps(build) + ';</script>',
        inline_script(read(program_js)),
        inline_script(read(page_js)),
    ])
    page = read(template).decode('utf-8')
    if page.count(SCRIPT_TAG) != 1:
        sys.exit('make_page: the template must load page.js once')
    with open(output, 'w', encoding='utf-8') as file:
        file.write(page.replace(SCRIPT_TAG, scripts))


if __name__ == '__main__':
    if len(sys.argv) not in (6, 7):
        sys.exit(__doc__)
    main(*sys.argv[1:])
