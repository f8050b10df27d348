"""Checks an ELAN file against the rules of the EAF 3.0 format with a reader
of its own (xml.etree), printing one 'violation' line for each broken rule,
then what the file holds, every text as '.' and the hex of its UTF-8 bytes:
  tier ID TYPE PARENT          (PARENT '.' when none)
  aligned TIER ID START END VALUE   (milliseconds)
  ref TIER ID REF VALUE
  property NAME VALUE
  media URL MIME RELATIVE

Usage: check_eaf.py FILE
"""
import re
import sys
import xml.etree.ElementTree as ET

XSI = "http://www.w3.org/2001/XMLSchema-instance"
SCHEMA = "http://www.mpi.nl/tools/elan/EAFv3.0.xsd"
XML_ID = re.compile(r"^[A-Za-z_][A-Za-z0-9_.\-]*$")
DATE_TIME = re.compile(r"^-?\d{4,}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?(Z|[+-]\d\d:\d\d)?$")
ORDER = ["HEADER", "TIME_ORDER", "TIER", "LINGUISTIC_TYPE", "LOCALE", "LANGUAGE",
         "CONSTRAINT", "CONTROLLED_VOCABULARY", "LEXICON_REF", "EXTERNAL_REF"]


def h(text):
    return "." + (text or "").encode("utf-8").hex()


def main():
    path = sys.argv[1]
    problems = []
    lines = []

    def bad(text):
        problems.append("violation " + text)

    raw = open(path, encoding="utf-8").read()
    root = ET.parse(path).getroot()
    if root.tag != "ANNOTATION_DOCUMENT":
        bad("root " + root.tag)
    for name, wanted in [("FORMAT", "3.0"), ("VERSION", "3.0")]:
        if root.get(name) != wanted:
            bad("root %s=%r" % (name, root.get(name)))
    if root.get("AUTHOR") is None:
        bad("no AUTHOR")
    if not DATE_TIME.match(root.get("DATE") or ""):
        bad("DATE %r" % root.get("DATE"))
    if root.get("{%s}noNamespaceSchemaLocation" % XSI) != SCHEMA:
        bad("schema location")
    if 'xmlns:xsi="%s"' % XSI not in raw:
        bad("xsi prefix")

    ranks = [ORDER.index(child.tag) if child.tag in ORDER else -1 for child in root]
    if -1 in ranks or ranks != sorted(ranks):
        bad("children order %s" % [child.tag for child in root])
    for single in ("HEADER", "TIME_ORDER"):
        if len(root.findall(single)) != 1:
            bad("%s count" % single)

    header = root.find("HEADER")
    if header is not None:
        if header.get("MEDIA_FILE") != "" or header.get("TIME_UNITS") != "milliseconds":
            bad("header attributes %s" % header.attrib)
        for media in header.findall("MEDIA_DESCRIPTOR"):
            url = media.get("MEDIA_URL") or ""
            if not url.startswith("file://") or not media.get("MIME_TYPE"):
                bad("media descriptor %s" % media.attrib)
            lines.append("media %s %s %s" % (h(url), h(media.get("MIME_TYPE")), h(media.get("RELATIVE_MEDIA_URL"))))
        for prop in header.findall("PROPERTY"):
            lines.append("property %s %s" % (h(prop.get("NAME")), h(prop.text)))

    slots = {}
    for slot in root.iter("TIME_SLOT"):
        sid = slot.get("TIME_SLOT_ID") or ""
        if not XML_ID.match(sid) or sid in slots:
            bad("slot id %r" % sid)
        value = slot.get("TIME_VALUE")
        if value is not None and not re.match(r"^\d+$", value):
            bad("slot value %r" % value)
        slots[sid] = int(value) if value is not None and value.isdigit() else None

    types = {}
    for lt in root.findall("LINGUISTIC_TYPE"):
        types[lt.get("LINGUISTIC_TYPE_ID")] = lt
        if lt.get("TIME_ALIGNABLE") not in ("true", "false"):
            bad("type alignable %s" % lt.attrib)
    stereotypes = {c.get("STEREOTYPE") for c in root.findall("CONSTRAINT") if c.get("DESCRIPTION")}
    for lt in types.values():
        if lt.get("CONSTRAINTS") and lt.get("CONSTRAINTS") not in stereotypes:
            bad("constraint not declared %s" % lt.get("CONSTRAINTS"))

    tiers = {}
    annotation_ids = set()
    annotation_tier = {}
    for tier in root.findall("TIER"):
        tid = tier.get("TIER_ID")
        if tid is None or tid in tiers:
            bad("tier id %r" % tid)
        tiers[tid] = tier
    for tier in root.findall("TIER"):
        tid = tier.get("TIER_ID")
        ltype = types.get(tier.get("LINGUISTIC_TYPE_REF"))
        parent = tier.get("PARENT_REF")
        if ltype is None:
            bad("tier %r type %r" % (tid, tier.get("LINGUISTIC_TYPE_REF")))
        if parent is not None and parent not in tiers:
            bad("tier %r parent %r" % (tid, parent))
        symbolic = ltype is not None and ltype.get("TIME_ALIGNABLE") == "false"
        if symbolic and (parent is None or ltype.get("CONSTRAINTS") != "Symbolic_Association"):
            bad("symbolic tier %r" % tid)
        lines.append("tier %s %s %s" % (h(tid), h(tier.get("LINGUISTIC_TYPE_REF")), h(parent) if parent else "."))
        spans = []
        referred = set()
        for wrapper in tier.findall("ANNOTATION"):
            for ann in wrapper:
                aid = ann.get("ANNOTATION_ID") or ""
                if not XML_ID.match(aid) or aid in annotation_ids:
                    bad("annotation id %r" % aid)
                annotation_ids.add(aid)
                annotation_tier[aid] = tid
                value = ann.find("ANNOTATION_VALUE")
                text = value.text if value is not None else None
                if value is None:
                    bad("no value %r" % aid)
                if ann.tag == "ALIGNABLE_ANNOTATION":
                    if symbolic:
                        bad("aligned annotation on symbolic tier %r" % tid)
                    start = slots.get(ann.get("TIME_SLOT_REF1"))
                    end = slots.get(ann.get("TIME_SLOT_REF2"))
                    if start is None or end is None or not start < end:
                        bad("annotation %r times %r %r" % (aid, start, end))
                        continue
                    spans.append((start, end, aid))
                    lines.append("aligned %s %s %d %d %s" % (h(tid), aid, start, end, h(text)))
                elif ann.tag == "REF_ANNOTATION":
                    if not symbolic:
                        bad("reference on aligned tier %r" % tid)
                    ref = ann.get("ANNOTATION_REF")
                    if ref in referred:
                        bad("two associations with %r on %r" % (ref, tid))
                    referred.add(ref)
                    lines.append("ref %s %s %s %s" % (h(tid), aid, ref, h(text)))
                else:
                    bad("annotation kind %s" % ann.tag)
        spans.sort()
        for before, after in zip(spans, spans[1:]):
            if after[0] < before[1]:
                bad("overlap on %r: %s %s" % (tid, before, after))
    for tier in root.findall("TIER"):
        for ref in tier.iter("REF_ANNOTATION"):
            target = ref.get("ANNOTATION_REF")
            if annotation_tier.get(target) != tier.get("PARENT_REF"):
                bad("reference %r to %r outside the parent tier" % (ref.get("ANNOTATION_ID"), target))

    print("\n".join(problems + lines))


main()
