#!/usr/bin/env bash
# Writes the seed corpus of the annotation reader's fuzzing into the folder
# given (default build-fuzz/seeds): small valid files, damaged ones the
# reader recovers from, and hostile ones it must refuse or survive. Every
# file is written here from scratch.
set -euo pipefail
out="${1:-build-fuzz/seeds}"
mkdir -p "$out"

seed() { printf '%s' "$2" > "$out/$1"; }
decl='<?xml version="1.0" encoding="UTF-8"?>'

# Valid files.
seed valid-empty.xml "$decl<corps/>"
seed valid-sample.xml "$decl
<corps>
  <piste libelle=\" \">
    <segment debut=\"100\" fin=\"10000\">
      <contenu titre=\"PL\" commentaire=\"commentaire\" video=\"0\"/>
    </segment>
  </piste>
</corps>"
seed valid-two-tracks.xml "$decl<corps><piste libelle=\"Attaque\"><segment debut=\"0\" fin=\"250\"><contenu titre=\"But\" commentaire=\"&lt;&amp;&gt;&quot;\" video=\"3\"/></segment><segment debut=\"300\" fin=\"310\"><contenu titre=\"é\" commentaire=\"日本\" video=\"-1\"/></segment></piste><piste libelle=\"Défense\"/></corps>"
seed valid-odd-times.xml "$decl<corps><piste libelle=\"a\"><segment debut=\" 42\" fin=\"+7\"><contenu titre=\"x\" commentaire=\"y\" video=\"12abc\"/></segment><segment debut=\"-3\" fin=\"12.5\"/><segment debut=\"500\" fin=\"100\"><contenu/><contenu titre=\"second\"/></segment><segment debut=\"2147483647\" fin=\"-2147483648\"><contenu video=\"99999999999\"/></segment></piste></corps>"
seed valid-skipped.xml "$decl<corps><!-- note --><?pi x?><Piste libelle=\"no\"/><piste libelle=\"t\">text<SEGMENT debut=\"1\"/><segment debut=\"1\" fin=\"2\"><autre/><contenu titre=\"&#x9;&#10;\" commentaire=\"a&#13;b\" video=\"1\"/></segment></piste><x/></corps>"
seed valid-other-root.xml "$decl<racine><piste libelle=\"x\"/></racine>"
seed valid-bom.xml $'\xEF\xBB\xBF'"$decl<corps><piste libelle=\"bom\"/></corps>"
seed valid-latin1-declared.xml '<?xml version="1.0" encoding="ISO-8859-1"?><corps><piste libelle="été"/></corps>'
seed valid-cdata.xml "$decl<corps><piste libelle=\"c\"><![CDATA[<segment debut=\"1\"/>]]><segment debut=\"1\" fin=\"2\"><contenu titre=\"t\"/></segment></piste></corps>"
seed valid-namespace.xml "$decl<corps xmlns:q=\"urn:q\"><q:piste libelle=\"ns\"/><piste q:libelle=\"x\" libelle=\"y\"/></corps>"

# Damaged files the parser recovers from.
seed recovered-truncated.xml "$decl<corps><piste libelle=\"t\"><segment debut=\"1\" fin=\"2\"><contenu titre=\"tr"
seed recovered-unclosed.xml "$decl<corps><piste libelle=\"a\"><segment debut=\"1\" fin=\"2\"></piste><piste libelle=\"b\">"
seed recovered-bad-utf8.xml "$decl<corps><piste libelle=\"a"$'\xC3\x28\xFF'"b\"/></corps>"
seed recovered-duplicate-attr.xml "$decl<corps><piste libelle=\"a\" libelle=\"b\"/></corps>"
seed recovered-control-chars.xml "$decl<corps><piste libelle=\"a"$'\x01\x02'"\"/></corps>"
seed recovered-garbage-after.xml "$decl<corps/><corps><piste/></corps>junk"
seed recovered-unquoted.xml "$decl<corps><piste libelle=abc><segment debut=1 fin=2/></piste></corps>"

# Hostile files.
seed hostile-not-xml.bin $'\x00\x01\x02garbage\xFF'
seed hostile-empty.xml ""
seed hostile-entities.xml "$decl<!DOCTYPE corps [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]><corps><piste libelle=\"&b;\"/></corps>"
seed hostile-external.xml "$decl<!DOCTYPE corps SYSTEM \"file:///etc/passwd\"><corps/>"
seed hostile-xinclude.xml "$decl<corps xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"/etc/passwd\"/></corps>"
seed hostile-deep.xml "$decl<corps>$(printf '<piste>%.0s' $(seq 300))</corps>"
seed hostile-many-attrs.xml "$decl<corps><piste $(for i in $(seq 300); do printf 'a%d="x" ' "$i"; done)/></corps>"
seed hostile-many-ns.xml "$decl<corps $(for i in $(seq 80); do printf 'xmlns:n%d="u%d" ' "$i" "$i"; done)/>"
seed hostile-utf16.xml $'\xFF\xFE<\x00c\x00o\x00r\x00p\x00s\x00/\x00>\x00'
