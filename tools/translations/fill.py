#!/usr/bin/env python3
"""Writes the texts of strings.py into translations/quotix_de.ts and _ja.ts.

Run after lupdate (cmake --build build --target update_translations), which
adds new sources as unfinished; a source strings.py lacks stays unfinished.
"""
import pathlib
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, str(pathlib.Path(__file__).parent))
from strings import T  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parents[2]
missing = 0
for column, language in enumerate(("de", "ja")):
    path = ROOT / "translations" / f"quotix_{language}.ts"
    tree = ET.parse(path)
    for context in tree.getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            source = message.findtext("source")
            translation = message.find("translation")
            text = T.get((name, source))
            if text is None:
                missing += 1
                print(f"{path.name}: no text for {name}: {source!r}", file=sys.stderr)
                continue
            translation.text = text[column]
            translation.attrib.pop("type", None)
    ET.indent(tree, space="    ")
    body = ET.tostring(tree.getroot(), encoding="unicode")
    path.write_text('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n' + body + "\n", encoding="utf-8")
sys.exit(1 if missing else 0)
