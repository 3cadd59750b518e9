#!/usr/bin/env python3
"""Lists the files of a package folder for wixl: one component per file,
under INSTALLDIR, in the folders they stand in, all in the component group
KelvaraFiles. The folder's path is given to wixl as the variable SourceDir.
  wxs_files.py FOLDER > files.wxs
"""
import hashlib
import os
import sys
from xml.sax.saxutils import quoteattr


def ident(kind, path):
    # Identifiers from the path, so that a file keeps its component from one
    # build to the next.
    return kind + hashlib.sha1(path.encode("utf-8")).hexdigest()[:24].upper()


def main():
    root = sys.argv[1]
    components = []
    out = ['<?xml version="1.0" encoding="utf-8"?>',
           '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">', "  <Fragment>"]

    def folder(relative, depth):
        pad = "  " * depth
        full = os.path.join(root, relative)
        for name in sorted(os.listdir(full)):
            path = os.path.join(relative, name) if relative else name
            if os.path.isdir(os.path.join(root, path)):
                continue
            component = ident("c", path)
            components.append(component)
            out.append('%s<Component Id="%s" Guid="*" Win64="yes">' % (pad, component))
            out.append('%s  <File Id="%s" KeyPath="yes" Source=%s />'
                       % (pad, ident("f", path), quoteattr("$(var.SourceDir)/" + path)))
            out.append("%s</Component>" % pad)
        for name in sorted(os.listdir(full)):
            path = os.path.join(relative, name) if relative else name
            if os.path.isdir(os.path.join(root, path)):
                out.append('%s<Directory Id="%s" Name=%s>' % (pad, ident("d", path), quoteattr(name)))
                folder(path, depth + 1)
                out.append("%s</Directory>" % pad)

    out.append('    <DirectoryRef Id="INSTALLDIR">')
    folder("", 3)
    out.append("    </DirectoryRef>")
    out.append('    <ComponentGroup Id="KelvaraFiles">')
    out += ['      <ComponentRef Id="%s" />' % c for c in components]
    out += ["    </ComponentGroup>", "  </Fragment>", "</Wix>"]
    print("\n".join(out))


if __name__ == "__main__":
    main()
