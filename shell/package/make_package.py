#!/usr/bin/env python3
"""Builds ZerrowShellExt.msix (signed) and ZerrowShellExt.cer.

The package is a full package: Varkle.dll travels inside it, so the package
manager can add it from its path alone (a sparse package would need an
external location on the command line). The signing key and certificate are
made once per build folder and never leave it.
"""
import argparse
import base64
import hashlib
import os
import struct
import subprocess
import sys
import zipfile
import zlib

PUBLISHER = "CN=Zerrow"
BLOCK = 65536

MANIFEST = """<?xml version="1.0" encoding="utf-8"?>
<Package xmlns="http://schemas.microsoft.com/appx/manifest/foundation/windows10"
         xmlns:uap="http://schemas.microsoft.com/appx/manifest/uap/windows10"
         xmlns:rescap="http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities"
         xmlns:desktop4="http://schemas.microsoft.com/appx/manifest/desktop/windows10/4"
         xmlns:desktop5="http://schemas.microsoft.com/appx/manifest/desktop/windows10/5"
         xmlns:com="http://schemas.microsoft.com/appx/manifest/com/windows10"
         IgnorableNamespaces="uap rescap desktop4 desktop5 com">
  <Identity Name="ZerrowShellExt" Publisher="{publisher}" Version="{version}" ProcessorArchitecture="x64" />
  <Properties>
    <DisplayName>Zerrow Pro</DisplayName>
    <PublisherDisplayName>Zerrow</PublisherDisplayName>
    <Logo>Assets\\StoreLogo.png</Logo>
  </Properties>
  <Dependencies>
    <TargetDeviceFamily Name="Windows.Desktop" MinVersion="10.0.19041.0" MaxVersionTested="10.0.22621.0" />
  </Dependencies>
  <Resources>
    <Resource Language="zh-cn" />
  </Resources>
  <Capabilities>
    <rescap:Capability Name="runFullTrust" />
  </Capabilities>
  <Applications>
    <Application Id="ZerrowShellExt" Executable="ZerrowShellHost.exe" EntryPoint="Windows.FullTrustApplication">
      <uap:VisualElements DisplayName="Zerrow Pro" Description="Zerrow Pro" BackgroundColor="transparent"
                          Square150x150Logo="Assets\\Square150x150Logo.png" Square44x44Logo="Assets\\Square44x44Logo.png"
                          AppListEntry="none" />
      <Extensions>
        <desktop4:Extension Category="windows.fileExplorerContextMenus">
          <desktop4:FileExplorerContextMenus>
            <desktop5:ItemType Type="*">
              <desktop5:Verb Id="ZerrowCommand" Clsid="{clsid}" />
            </desktop5:ItemType>
            <desktop5:ItemType Type="Directory">
              <desktop5:Verb Id="ZerrowCommand" Clsid="{clsid}" />
            </desktop5:ItemType>
          </desktop4:FileExplorerContextMenus>
        </desktop4:Extension>
        <com:Extension Category="windows.comServer">
          <com:ComServer>
            <com:SurrogateServer DisplayName="Zerrow Explorer command">
              <com:Class Id="{clsid}" Path="Varkle.dll" ThreadingModel="STA" />
            </com:SurrogateServer>
          </com:ComServer>
        </com:Extension>
      </Extensions>
    </Application>
  </Applications>
</Package>
"""

CONTENT_TYPES = """<?xml version="1.0" encoding="UTF-8"?>
<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">
  <Default Extension="dll" ContentType="application/x-msdownload" />
  <Default Extension="exe" ContentType="application/x-msdownload" />
  <Default Extension="png" ContentType="image/png" />
  <Override PartName="/AppxManifest.xml" ContentType="application/vnd.ms-appx.manifest+xml" />
  <Override PartName="/AppxBlockMap.xml" ContentType="application/vnd.ms-appx.blockmap+xml" />
  <Override PartName="/AppxSignature.p7x" ContentType="application/vnd.ms-appx.signature" />
</Types>
"""


def png(size):
    """A plain square in the program's accent colour."""
    row = b"\x00" + bytes((0x1E, 0x6F, 0xD9, 0xFF)) * size
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(row * size)) + chunk(b"IEND", b""))


def block_map(parts):
    """Block hashes of every payload part; parts are stored, so blocks carry no size."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<BlockMap xmlns="http://schemas.microsoft.com/appx/2010/blockmap" '
             'HashMethod="http://www.w3.org/2001/04/xmlenc#sha256">']
    for name, data in parts:
        header = 30 + len(name.encode("utf-8"))  # local file header without extra field
        lines.append('  <File Name="%s" Size="%d" LfhSize="%d">' % (name.replace("/", "\\"), len(data), header))
        for start in range(0, len(data), BLOCK):
            digest = hashlib.sha256(data[start:start + BLOCK]).digest()
            lines.append('    <Block Hash="%s" />' % base64.b64encode(digest).decode())
        lines.append("  </File>")
    lines.append("</BlockMap>")
    return ("\n".join(lines) + "\n").encode("utf-8")


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def ensure_certificate(work):
    key = os.path.join(work, "signing-key.pem")
    cert = os.path.join(work, "signing-cert.pem")
    if not (os.path.exists(key) and os.path.exists(cert)):
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3650",
            "-subj", "/CN=Zerrow", "-keyout", key, "-out", cert,
            "-addext", "basicConstraints=critical,CA:FALSE",
            "-addext", "keyUsage=critical,digitalSignature",
            "-addext", "extendedKeyUsage=codeSigning")
    return key, cert


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dll", required=True)
    parser.add_argument("--host", required=True)
    parser.add_argument("--clsid", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--out-dir", required=True)
    parser.add_argument("--work-dir", required=True)
    args = parser.parse_args()
    os.makedirs(args.work_dir, exist_ok=True)
    version = ".".join((args.version.split(".") + ["0"] * 4)[:4])
    manifest = MANIFEST.format(publisher=PUBLISHER, version=version, clsid=args.clsid)
    with open(args.dll, "rb") as f:
        dll = f.read()
    with open(args.host, "rb") as f:
        host = f.read()
    parts = [("AppxManifest.xml", manifest.encode("utf-8")),
             ("Varkle.dll", dll),
             ("ZerrowShellHost.exe", host),
             ("Assets/StoreLogo.png", png(50)),
             ("Assets/Square150x150Logo.png", png(150)),
             ("Assets/Square44x44Logo.png", png(44))]
    unsigned = os.path.join(args.work_dir, "ZerrowShellExt-unsigned.msix")
    # Payload parts are stored, so that their blocks need no compressed sizes; the
    # footprint parts are deflated, the form the signing tool expects to rewrite.
    footprint = [("AppxBlockMap.xml", block_map(parts)),
                 ("[Content_Types].xml", CONTENT_TYPES.encode("utf-8"))]
    with zipfile.ZipFile(unsigned, "w") as z:
        for (name, data), method in ([(p, zipfile.ZIP_STORED) for p in parts] +
                                     [(p, zipfile.ZIP_DEFLATED) for p in footprint]):
            info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
            info.compress_type = method
            z.writestr(info, data)
    key, cert = ensure_certificate(args.work_dir)
    msix = os.path.join(args.out_dir, "ZerrowShellExt.msix")
    if os.path.exists(msix):
        os.remove(msix)
    run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256",
        "-in", unsigned, "-out", msix)
    run("openssl", "x509", "-in", cert, "-outform", "DER",
        "-out", os.path.join(args.out_dir, "ZerrowShellExt.cer"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
