"""The course packages as a learning platform reads them: each zip's manifest
valid against its standard's official schema files (the pinned copies of
make scorm-runtime, not the package's own), each schema file it carries the
official one, and its one resource listing every file of the page it holds,
and only those, with nothing of a server's in it.

    course_packages_test.py COURSE_DIR PINNED_SCHEMAS
"""

import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zipfile

# Each package, its standard's folder of pinned schema files, and the
# namespaces its manifest uses with the schema file of each.
PACKAGES = {
    "zentrik-scorm12.zip": ("scorm12edition", {
        "http://www.imsproject.org/xsd/imscp_rootv1p1p2": "imscp_rootv1p1p2.xsd",
        "http://www.adlnet.org/xsd/adlcp_rootv1p2": "adlcp_rootv1p2.xsd"}),
    "zentrik-scorm2004.zip": ("scorm20044thedition", {
        "http://www.imsglobal.org/xsd/imscp_v1p1": "imscp_v1p1.xsd",
        "http://www.adlnet.org/xsd/adlcp_v1p3": "adlcp_v1p3.xsd"}),
}
SERVERS_ONLY = (".htaccess", "nginx.conf", "sw.js", "manifest.webmanifest", ".gz", ".br")


def main(course_dir, pinned):
    if not os.path.isdir(pinned):
        print("SKIPPED: no pinned schema files in %s (make scorm-runtime)" % pinned)
        sys.exit(77)
    faults = []
    for name, (edition, namespaces) in PACKAGES.items():
        schemas = os.path.abspath(os.path.join(pinned, edition))
        with zipfile.ZipFile(os.path.join(course_dir, name)) as package, tempfile.TemporaryDirectory() as scratch:
            members = {member for member in package.namelist() if not member.endswith("/")}
            manifest = package.read("imsmanifest.xml")
            # One schema that imports each namespace's, as xmllint takes one.
            imports = "".join('<xsd:import namespace="%s" schemaLocation="%s"/>' % (namespace, os.path.join(
                schemas, file)) for namespace, file in namespaces.items())
            with open(os.path.join(scratch, "all.xsd"), "w") as schema:
                schema.write('<xsd:schema xmlns:xsd="http://www.w3.org/2001/XMLSchema">%s</xsd:schema>' % imports)
            with open(os.path.join(scratch, "imsmanifest.xml"), "wb") as file:
                file.write(manifest)
            checked = subprocess.run(["xmllint", "--noout", "--nonet", "--schema", os.path.join(scratch, "all.xsd"),
                                      os.path.join(scratch, "imsmanifest.xml")], capture_output=True, text=True)
            if checked.returncode != 0:
                faults.append("%s: the manifest is not valid: %s" % (name, checked.stderr.strip()))

            # Each schema file it carries is the official one.
            carried = {member for member in members if member.endswith((".xsd", ".dtd"))}
            for member in sorted(carried):
                official = os.path.join(schemas, member)
                if not os.path.isfile(official) or package.read(member) != open(official, "rb").read():
                    faults.append("%s: %s is not the official file" % (name, member))

            root = ElementTree.fromstring(manifest)
            namespace = root.tag[:root.tag.index("}") + 1]
            resources = root.findall("%sresources/%sresource" % (namespace, namespace))
            listed = {file.get("href") for resource in resources for file in resource.findall(namespace + "file")}
            page = members - carried - {"imsmanifest.xml"}
            if len(resources) != 1 or resources[0].get("href") != "index.html" or listed != page:
                faults.append("%s: one resource, index.html, listing the page's files; unlisted %s, missing %s" % (
                    name, sorted(page - listed), sorted(listed - page)))
            faults += ["%s holds %s, a server's" % (name, member) for member in members if member.endswith(SERVERS_ONLY)]
    for fault in faults:
        print("FAIL: " + fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main(*sys.argv[1:])
