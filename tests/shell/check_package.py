#!/usr/bin/env python3
"""Checks the built package: its parts, the manifest's identity and class, the
block map against the stored bytes, and the signature against the exported
certificate. Usage: check_package.py <bin folder> <root CLSID> <shell module library>"""
import base64
import hashlib
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zipfile

FOUNDATION = "{http://schemas.microsoft.com/appx/manifest/foundation/windows10}"
DESKTOP4 = "{http://schemas.microsoft.com/appx/manifest/desktop/windows10/4}"
DESKTOP5 = "{http://schemas.microsoft.com/appx/manifest/desktop/windows10/5}"
COM = "{http://schemas.microsoft.com/appx/manifest/com/windows10}"
BLOCKMAP = "{http://schemas.microsoft.com/appx/2010/blockmap}"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def main(bin_dir, clsid, core_lib):
    msix = os.path.join(bin_dir, "ZerrowShellExt.msix")
    cer = os.path.join(bin_dir, "ZerrowShellExt.cer")
    with zipfile.ZipFile(msix) as z:
        names = z.namelist()
        for part in ("AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml",
                     "AppxSignature.p7x", "Varkle.dll", "ZerrowShellHost.exe"):
            check(part in names, "missing part " + part)
        manifest = ET.fromstring(z.read("AppxManifest.xml"))
        identity = manifest.find(FOUNDATION + "Identity")
        check(identity.get("Name") == "ZerrowShellExt", "package name " + identity.get("Name"))
        publisher = identity.get("Publisher")
        app = manifest.find(FOUNDATION + "Applications/" + FOUNDATION + "Application")
        check(z.getinfo(app.get("Executable")) is not None, "application executable not in package")
        types = {}
        for item in app.iter(DESKTOP5 + "ItemType"):
            types[item.get("Type")] = [v.get("Clsid") for v in item.iter(DESKTOP5 + "Verb")]
        check(types == {"*": [clsid], "Directory": [clsid]}, "context menu verbs %r" % types)
        classes = [(c.get("Id"), c.get("Path")) for c in app.iter(COM + "Class")]
        check(classes == [(clsid, "Varkle.dll")], "com classes %r" % classes)
        for binary in ("Varkle.dll",):
            text = ("{" + clsid + "}").encode("utf-16-le")
            check(text in z.read(binary), "root CLSID not compiled into packaged " + binary)

        # Every payload part is in the block map with its size, header size and hashes.
        blockmap = ET.fromstring(z.read("AppxBlockMap.xml"))
        mapped = {f.get("Name"): f for f in blockmap.iter(BLOCKMAP + "File")}
        payload = [n for n in names if n not in ("AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x")]
        check(sorted(mapped) == sorted(n.replace("/", "\\") for n in payload), "block map files %r" % sorted(mapped))
        raw = open(msix, "rb").read()
        for name in payload:
            info = z.getinfo(name)
            entry = mapped.get(name.replace("/", "\\"))
            if entry is None:
                continue
            data = z.read(name)
            check(info.compress_type == zipfile.ZIP_STORED, name + " is compressed")
            check(int(entry.get("Size")) == len(data), name + " size")
            name_len, extra_len = struct.unpack("<HH", raw[info.header_offset + 26:info.header_offset + 30])
            check(int(entry.get("LfhSize")) == 30 + name_len + extra_len, name + " local header size")
            hashes = [b.get("Hash") for b in entry.iter(BLOCKMAP + "Block")]
            expected = [base64.b64encode(hashlib.sha256(data[i:i + 65536]).digest()).decode()
                        for i in range(0, max(len(data), 1), 65536)]
            check(hashes == expected, name + " block hashes")
        content_types = z.read("[Content_Types].xml").decode()
        check("/AppxManifest.xml" in content_types and "/AppxBlockMap.xml" in content_types,
              "content types lack the footprint parts")

    with tempfile.TemporaryDirectory() as work:
        pem = os.path.join(work, "cert.pem")
        subprocess.run(["openssl", "x509", "-inform", "DER", "-in", cer, "-out", pem], check=True)
        subject = subprocess.run(["openssl", "x509", "-in", pem, "-noout", "-subject", "-nameopt", "RFC2253"],
                                 check=True, capture_output=True, text=True).stdout.strip()
        check(subject == "subject=" + publisher, "certificate %s, publisher %s" % (subject, publisher))
        verify = subprocess.run(["osslsigncode", "verify", "-CAfile", pem, "-in", msix],
                                capture_output=True, text=True)
        check(verify.returncode == 0 and "Signature verification: ok" in verify.stdout,
              "signature not verified:\n" + verify.stdout + verify.stderr)

    # The program, too, carries the same class: it tests and removes it. Its shell
    # code comes from the shell module.
    wide = ("{" + clsid + "}").encode("utf-16-le")
    check(wide in open(core_lib, "rb").read(), "root CLSID not compiled into " + core_lib)
    zerrow = open(os.path.join(bin_dir, "Zerrow.exe"), "rb").read()
    check("Zerrow.Copy".encode("utf-16-le") in zerrow, "shell registration not linked into Zerrow.exe")
    check(wide in zerrow, "root CLSID not compiled into Zerrow.exe")

    for failure in failures:
        print("FAILED: " + failure)
    print("package checks: %d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3]))
