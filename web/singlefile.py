"""Writes the whole page as one file, which plays opened from a disk, a USB
stick or a course page, where a browser gives a page no fetch and no worker.

    singlefile.py SITE PROTOCOL_HEADER OUTPUT

SITE is the page's folder as the build puts it together (index.html naming
the program and style sheet by their content). OUTPUT is index.html with
everything it names inside it: the style sheet in a <style>, every picture
the page and the sheet name as a data: address, the program's script at the
end of the body, and the program's WebAssembly and the picture files in base64
in the element HELD_FILES of web/protocol.h, which the scripts read in place
of fetching. What a served page alone uses (the manifest, the service worker,
the home screen's icon, the preloads) is left out, and the page's policy
allows its own script and style by their hashes and nothing from anywhere.
"""

import base64
import hashlib
import json
import os
import re
import sys

TYPES = {".png": "image/png", ".gif": "image/gif"}
# What only a served page uses: a file has no manifest or service worker,
# is put on no home screen, and has nothing to preload.
SERVED_ONLY = re.compile(r'<link rel="(manifest|apple-touch-icon|preload)"[^>]*>\n')


def fail(message):
    sys.exit("singlefile.py: " + message)


def read(site, name, mode="rb"):
    path = os.path.join(site, name)
    if not os.path.isfile(path):
        fail("the page names %s, which is not in %s" % (name, site))
    with open(path, mode) as file:
        return file.read()


def protocol(header, name):
    found = re.search(r'inline constexpr char %s\[\] = "([^"]+)";' % name, open(header).read())
    if not found:
        fail("no %s in %s" % (name, header))
    return found[1]


def hashed(text):
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode()).digest()).decode()


def policy(served, script, style):
    """The served page's policy for a page with no address of its own: its
    script and style allowed by their hashes, pictures as data: addresses,
    everything else none."""
    directives = []
    for directive in served.split(";"):
        name, *sources = directive.split()
        allowed = {"script-src": [hashed(script)], "style-src": [hashed(style)]}.get(name, [])
        sources = [source for source in sources if source != "'self'"]
        sources = allowed + sources if allowed else sources
        directives.append(" ".join([name] + (sources or ["'none'"])))
    return "; ".join(directives)


def main(site, header, output):
    held_id, program = protocol(header, "HELD_FILES"), protocol(header, "PROGRAM_FILE")
    page = read(site, "index.html", "r")

    def data(name):
        extension = os.path.splitext(name)[1]
        if extension not in TYPES:
            fail("no type known for %s" % name)
        return "data:%s;base64,%s" % (TYPES[extension], base64.b64encode(read(site, name)).decode())

    def only(pattern, text, what):
        found = re.findall(pattern, text)
        if len(found) != 1:
            fail("index.html names %s %d times" % (what, len(found)))
        return found[0]

    page = SERVED_ONLY.sub("", page)
    sheet = only(r'<link rel="stylesheet" href="([^"]+)">', page, "a style sheet")
    script = only(r'<script src="([^"]+)" defer></script>', page, "a script")
    style = re.sub(r"url\((?!data:)([^)]+)\)", lambda m: "url(%s)" % data(m[1]), read(site, sheet, "r"))
    code = read(site, script, "r")
    # Inside a <script>, only "</script" or "<!--" could end it early.
    for text, what in ((code, "script"), (style, "style sheet")):
        if re.search(r"</(script|style)|<!--", text, re.IGNORECASE):
            fail("the %s holds what would end its element" % what)

    pictures = sorted("pictures/" + name for name in os.listdir(os.path.join(site, "pictures")))
    # The program under the name the build gave it by its content.
    wasm = [name for name in os.listdir(site) if re.fullmatch(r"zentrik\.[0-9a-f]+\.wasm", name)]
    if len(wasm) != 1:
        fail("%d programs in %s" % (len(wasm), site))
    held = {name: base64.b64encode(read(site, name)).decode() for name in pictures}
    held[program] = base64.b64encode(read(site, wasm[0])).decode()

    page = page.replace('<link rel="stylesheet" href="%s">' % sheet, "<style>%s</style>" % style)
    page = page.replace('<script src="%s" defer></script>\n' % script, "")
    page = re.sub(r'\b(src|href)="(?!data:)([^"]+)"', lambda m: '%s="%s"' % (m[1], data(m[2])), page)
    # The program runs once the board's markup stands, as a deferred script would.
    page = page.replace("</body>", '<script type="application/json" id="%s">%s</script>\n<script>%s</script>\n'
                        "</body>" % (held_id, json.dumps(held, sort_keys=True, separators=(",", ":")), code), 1)
    served = only(r'http-equiv="Content-Security-Policy" content="([^"]+)"', page, "a policy")
    page = page.replace(served, policy(served, code, style), 1)

    with open(output + ".part", "w") as file:
        file.write(page)
    os.replace(output + ".part", output)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
