"""Puts the page together as a learning platform's course package (SCORM):
the folder a platform unpacks from the zip a teacher uploads, whose
imsmanifest.xml names one activity, the game, and every file it needs; or,
for the standard "lti", as the page folder that the LTI tool (zentrik-tool)
serves, titled with the game's names in both languages, which the tool
gives platforms as well.

    coursepackage.py SITE PROTOCOL_SCRIPT COURSE_SCRIPT SCHEMAS STANDARD DESKTOP_ENTRY OUTPUT

SITE is the page's folder as the build puts it together. STANDARD is "1.2",
"2004" or "lti"; SCHEMAS holds its schema files (none for "lti": "-"), which the package carries beside its
manifest. OUTPUT is made afresh: index.html with the element COURSE_STANDARD
(from PROTOCOL_SCRIPT, the constants of web/protocol.h) naming the standard,
the page's switch, and before the program's script course.js, the constants
and COURSE_SCRIPT, which talks to the platform's runtime; and every file the
page names, the program's WebAssembly and the picture files, as they stand in
SITE. What a server alone uses stays out: its settings, the compressed copies,
the service worker, the web app's manifest and its icons.
"""

import os
import re
import shutil
import sys
from xml.sax.saxutils import escape

# What only a served page uses: a package is put on no home screen, and
# installs nothing.
SERVED_ONLY = re.compile(r'<link rel="(manifest|apple-touch-icon)"[^>]*>\n')

# Each standard's manifest: its namespaces, where its schema files say them,
# and the attribute that makes a resource an activity that talks to the
# platform.
MANIFESTS = {
    "1.2": {
        "namespaces": 'xmlns="http://www.imsproject.org/xsd/imscp_rootv1p1p2"\n'
                      '          xmlns:adlcp="http://www.adlnet.org/xsd/adlcp_rootv1p2"',
        "locations": "http://www.imsproject.org/xsd/imscp_rootv1p1p2 imscp_rootv1p1p2.xsd\n"
                     "                              http://www.adlnet.org/xsd/adlcp_rootv1p2 adlcp_rootv1p2.xsd",
        "version": "1.2",
        "sco": 'adlcp:scormtype="sco"',
    },
    "2004": {
        "namespaces": 'xmlns="http://www.imsglobal.org/xsd/imscp_v1p1"\n'
                      '          xmlns:adlcp="http://www.adlnet.org/xsd/adlcp_v1p3"',
        "locations": "http://www.imsglobal.org/xsd/imscp_v1p1 imscp_v1p1.xsd\n"
                     "                              http://www.adlnet.org/xsd/adlcp_v1p3 adlcp_v1p3.xsd",
        "version": "2004 4th Edition",
        "sco": 'adlcp:scormType="sco"',
    },
}

MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<manifest identifier="io.github.zentrik.Zentrik" version="%(release)s"
          %(namespaces)s
          xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
          xsi:schemaLocation="%(locations)s">
  <metadata>
    <schema>ADL SCORM</schema>
    <schemaversion>%(version)s</schemaversion>
  </metadata>
  <organizations default="zentrik">
    <organization identifier="zentrik">
      <title>%(title)s</title>
      <item identifier="game" identifierref="page">
        <title>%(title)s</title>
      </item>
    </organization>
  </organizations>
  <resources>
    <resource identifier="page" type="webcontent" %(sco)s href="index.html">
%(files)s
    </resource>
  </resources>
</manifest>
"""


def fail(message):
    sys.exit("coursepackage.py: " + message)


def protocol(constants, name):
    found = re.search(r'^var %s = "([^"]+)";$' % name, constants, re.MULTILINE)
    if not found:
        fail("no %s among the page's constants" % name)
    return found[1]


def desktop_entry(path):
    """The desktop entry's keys, the one place the game's names are written."""
    with open(path, encoding="utf-8") as file:
        return dict(line.rstrip("\n").split("=", 1) for line in file if "=" in line)


def named_files(site, page):
    """Every file of SITE that the page, its style sheet or its program
    names, and the picture files, which the program asks for by name."""
    names = set(re.findall(r'\b(?:src|href)="(?!data:)([^"#?]+)"', page))
    for name in list(names):
        if name.endswith(".css"):
            with open(os.path.join(site, name), encoding="utf-8") as sheet:
                names.update(re.findall(r'url\("?(?!data:)([^")]+)"?\)', sheet.read()))
    # The WebAssembly and the JavaScript shape, which the program's script names.
    names.update(name for name in os.listdir(site) if re.fullmatch(r"zentrik\.[0-9a-f]+\.(wasm|js)", name))
    names.update("pictures/" + name for name in os.listdir(os.path.join(site, "pictures")))
    for name in names:
        if not os.path.isfile(os.path.join(site, name)):
            fail("the page names %s, which is not in %s" % (name, site))
    return sorted(names)


LTI = "lti"


def main(site, constants, course, schemas, standard, entry, output):
    if standard not in MANIFESTS and standard != LTI:
        fail("no standard %r: %s" % (standard, " or ".join(list(MANIFESTS) + [LTI])))
    with open(os.path.join(site, "index.html"), encoding="utf-8") as file:
        page = SERVED_ONLY.sub("", file.read())
    # A manifest's version is at most 20 characters: the release's, without a
    # snapshot's commit, which the page's generator line keeps.
    version = re.search(r'<meta name="generator" content="zentrik ([^"+]+)', page)
    if not version:
        fail("index.html says no version")
    files = named_files(site, page)
    with open(constants, encoding="utf-8") as file:
        constants = file.read()
    with open(course, encoding="utf-8") as file:
        course = file.read()
    names = desktop_entry(entry)
    title = escape("%s %s" % (names["Name[ja]"], names["Name"]))
    switch = '<meta name="%s" content="%s">\n' % (protocol(constants, "COURSE_STANDARD"), standard)
    page = page.replace("<title>", switch + "<title>", 1)
    if standard == LTI:
        page = re.sub(r"<title>[^<]*</title>", "<title>%s</title>" % title, page, count=1)
    # Deferred scripts run in order: the platform's listener stands before
    # the program reports to it.
    program = re.findall(r'<script src="[^"]+" defer></script>\n', page)
    if len(program) != 1:
        fail("index.html names %d scripts" % len(program))
    page = page.replace(program[0], '<script src="course.js" defer></script>\n' + program[0])

    shutil.rmtree(output, ignore_errors=True)
    for name in files:
        os.makedirs(os.path.dirname(os.path.join(output, name)), exist_ok=True)
        shutil.copyfile(os.path.join(site, name), os.path.join(output, name))
        # The tool serves a compressed copy where there is one, as a server does.
        if standard == LTI and os.path.isfile(os.path.join(site, name + ".gz")):
            shutil.copyfile(os.path.join(site, name + ".gz"), os.path.join(output, name + ".gz"))
    with open(os.path.join(output, "index.html"), "w", encoding="utf-8") as file:
        file.write(page)
    with open(os.path.join(output, "course.js"), "w", encoding="utf-8") as file:
        file.write(constants + course)
    if standard == LTI:
        return
    for name in sorted(os.listdir(schemas)):
        shutil.copyfile(os.path.join(schemas, name), os.path.join(output, name))

    listed = "\n".join('      <file href="%s"/>' % escape(name) for name in ["index.html", "course.js"] + files)
    with open(os.path.join(output, "imsmanifest.xml"), "w", encoding="utf-8") as file:
        file.write(MANIFEST % dict(MANIFESTS[standard], release=escape(version[1]), files=listed,
                                   title=title))


if __name__ == "__main__":
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    main(*sys.argv[1:])
