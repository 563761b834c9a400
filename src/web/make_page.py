#!/usr/bin/env python3
"""Writes the web edition's page with its scripts inlined: the program's
JavaScript, the page's own and the AudioWorklet (as a percent-encoded
data: URL, which a page opened from file:// may load). Given the program's
WebAssembly too, it writes the one-file edition: the program gzipped and
in base64, unpacked by the page with DecompressionStream. The page is
ASCII throughout, so it reads the same in whatever charset a web server
declares for it (a header's charset wins over the page's own).

  make_page.py TEMPLATE PAGE_JS WORKLET PROGRAM_JS OUTPUT [PROGRAM_WASM]
"""
import base64
import gzip
import json
import sys
import urllib.parse

SCRIPT_TAG = '<script src="page.js"></script>'
PROGRAM_MARK = '<!-- the program -->'
# What the AudioWorklet's data: URL keeps as it is: it stays readable and
# compresses better than base64. Not '<', so that it cannot end the script.
URL_SAFE = "!'()*-._~:;,/=+&?[]{}|^$@"


def read(path):
    with open(path, 'rb') as file:
        return file.read()


def inline_script(code):
    text = code.decode('utf-8')
    if '</script' in text.lower():
        sys.exit('make_page: a script holds "</script"')
    return '<script>' + text.strip() + '</script>'


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
    if not page.isascii():
        sys.exit('make_page: the page must be ASCII (characters beyond it as HTML references)')
    if program_wasm:
        packed = base64.b64encode(gzip.compress(read(program_wasm), compresslevel=9, mtime=0)).decode('ascii')
        program = '<script>window.tarnovexBuild.program = "' + packed + '";</script>'
        page = page.replace(PROGRAM_MARK, program)
    with open(output, 'w', encoding='ascii') as file:
        file.write(page)


if __name__ == '__main__':
    if len(sys.argv) not in (6, 7):
        sys.exit(__doc__)
    main(*sys.argv[1:])
