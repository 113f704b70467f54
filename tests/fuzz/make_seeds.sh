#!/usr/bin/env bash
# Makes the fuzz targets' seed corpora in tests/fuzz/corpus/ from our own
# generators and the tests' fixtures, and rewrites corpus/MANIFEST with each
# file's source and checksum. Run from anywhere; needs python3 and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=tests/fuzz/corpus
find "$out" -type f ! -name 'crash-*' -delete 2>/dev/null || true
mkdir -p "$out"/{lines,profile,registry,http_head,inflate,dispatch,update_script,srf,off4,jpeg,speech,music}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Text protocols: small hand-written samples in the forms the parsers read.
python3 - "$out" <<'PY'
import sys, os
out = sys.argv[1]
def put(target, name, data):
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))

put("lines", "mixed-ends", "one\r\ntwo\nthree\rfour\n\rfive\r\n\r\nlast")
put("lines", "long-line", "x" * 300 + "\nshort\n")
put("lines", "empty-lines", "\n\n\r\n\r\r\n")

put("profile", "sections", "\x40[Main]\r\nName = \"quoted value\" \r\nNumber=-42junk\r\n; note\r\n[other]\nHex=414243\nEmpty=\n")
put("profile", "odd", "\x08 [ Spaced ] \nkey\n=novalue\n[Unclosed\nk='single'\n[]\n=x\n")

put("registry", "store", "; Vizuzor settings store\n\n[HKEY_LOCAL_MACHINE\\Software\\X]\n@=sz:\"default\"\n"
    "\"Name\"=sz:\"quo\\\"ted\\\\\"\n\"Count\"=dword:0000002a\n\"Blob\"=hex:00,ff,10\n\n"
    "[HKEY_CURRENT_USER\\Software\\X\\Sub]\n\"Empty\"=hex:\n")

put("http_head", "ok-length", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\nContent-Type: text/plain\r\n\r\nhello")
put("http_head", "ok-no-length", "HTTP/1.1 204 No Content\r\nConnection: close\r\n\r\n")
put("http_head", "not-found", "HTTP/1.0 404 Not Found\r\n\r\n")
put("http_head", "lf-only", "HTTP/1.0 200 OK\ncontent-length:0\n\nZIP ")

dispatch = ("[Dispatch File]\r\nUpdate Script Server Path=/update/script.ini\r\nRegister CGI Name=/cgi/register\r\n"
            "Validate CGI Name=/cgi/validate\r\nChange CGI Name=/cgi/change\r\n"
            "Registration Server Section=Reg\r\nContent Server Section=Content\r\nGame List Server Section=Lobby\r\n"
            "[Web Server]\r\nHTTP Server Name=web.example\r\nHTTP Server Port=80\r\nSponsors CGI=/s\r\n"
            "Success Page=/ok\r\nError Page=/err\r\n"
            "[Reg 1]\r\nHTTP Server Name=reg1\r\nHTTP Server Port=8080\r\n"
            "[Reg 2]\r\nHTTP Server Name=reg2\r\nHTTP Server Port=8081\r\n"
            "[Content 1]\r\nHTTP Server Name=content\r\nHTTP Server Port=80\r\n"
            "[Lobby 1]\r\nIRC Server Name=irc.example\r\nIRC Server Port=6667\r\nIRC Server Password=pw\r\n"
            "IRC Channel Name=#lobby\r\nIRC Channel Password=\r\nIRC Bot Nickname=bot\r\n")
put("dispatch", "full", dispatch)
put("dispatch", "no-servers", "[Dispatch File]\nRegister CGI Name=x\n[Web Server]\nHTTP Server Port=99999999999\n")

folders = "[Server Version Folders]\n1.0.0.0=/v1\n2.0.0.0=/v2\n"
put("update_script", "gotos", "[Update Script]\n1 Goto=A\n2 Goto=B\n[A]\nCommand=if client_path keep.txt Exists goto B\n"
    "[B]\nCommand=update\nClient Path=a.txt\nVersion=1.0.0.0\nGroup Priority=2\nMandatory=false\nFile Size Bytes=10\n" + folders)
put("update_script", "commands", "[Update Script]\n1 Goto=M\n2 Goto=R\n3 Goto=D\n4 Goto=S\n"
    "[M]\nCommand=create_folder\nClient Folder=sub\n[R]\nCommand=rename\nOld Path=keep.txt\nNew Path=sub\\kept.txt\n"
    "[D]\nCommand=delete\nClient Path=sub\\kept.txt\n"
    "[S]\nCommand=if version LessThan 2.0.0.0 set variable AdServerFolder /ads\n" + folders)
put("update_script", "escape", "[Update Script]\nCommand=delete\nClient Path=..\\outside.txt\n" + folders)
PY

# Compressed streams: the test HTTP server's own "ZIP " writer.
for kind in text empty flipdata flipsum truncated; do
  python3 testbed/http/http_server.py --write-stream "$kind" "$out/inflate/$kind"
done

# .srf files and the off4 strips inside them: the tests' fixtures through the
# independent .srf writer; each off4 entry's bytes (from --expect) is a strip seed.
python3 testbed/srf/make_srf.py --batch tests/fixtures/resource/srf-fixtures.json "$work/srf"
for name in kinds_v1 kinds_v2 embedded any_b count_past_index entry_past_end method_one short_index; do
  cp "$work/srf/$name.srf" "$out/srf/$name.srf"
done
python3 testbed/srf/make_srf.py --batch tests/fixtures/media/strip-fixtures.json "$work/strips"
cat "$work"/srf/*.expect "$work"/strips/*.expect | python3 -c '
import sys
out = sys.argv[1]
n = 0
for line in sys.stdin:
    parts = line.split()
    if len(parts) == 4 and parts[0] == "6f666634" and parts[3] != "-":
        n += 1
        open(f"{out}/off4/strip-{n}-{parts[1]}", "wb").write(bytes.fromhex(parts[3]))
' "$out"

# JPEG: ImageMagick from generated patterns, at the samplings and options the
# decoder reads (grey, 4:4:4, 4:2:2, 4:2:0, restart intervals).
convert -size 24x16 gradient:red-blue -quality 60 -sampling-factor 2x2 "$out/jpeg/420.jpg"
# Deterministic patterns only, so that the MANIFEST checksums hold.
convert -size 17x9 gradient:green-yellow -quality 50 -sampling-factor 2x1 "$out/jpeg/422.jpg"
convert -size 8x8 gradient:white-black -colorspace Gray -quality 75 "$out/jpeg/grey.jpg"
convert -size 16x16 gradient:cyan-magenta -quality 90 -sampling-factor 1x1 -define jpeg:restart-interval=1 \
  "$out/jpeg/444-restart.jpg"

# Stored speech and music: the sound tests' fixtures (see tests/fixtures/sound/MANIFEST).
cp tests/fixtures/sound/speech-comfort.ts tests/fixtures/sound/speech-male.ts "$out/speech/"
cp tests/fixtures/sound/music_8k.xmp tests/fixtures/sound/music_32k.xmp "$out/music/"

# Targets that take their first bytes as settings (see each target's source):
# the seeds lead with settings that keep the data whole.
python3 - "$out" <<'PY'
import os, sys
out = sys.argv[1]
lead = {"lines": b"\x00\x50",                # a buffer of 80
        "inflate": b"\x04\x00\x01\x00",    # output 1025 bytes, pieces of 257
        "off4": b"\x00\x80\x80",            # no flags, placed at (0, 0)
        "jpeg": b"\x00\x00\x40\x40"}       # source rectangle (0, 0, 64, 64)
for target, prefix in lead.items():
    folder = os.path.join(out, target)
    for name in (n for n in os.listdir(folder) if not n.startswith("crash-")):
        path = os.path.join(folder, name)
        data = open(path, "rb").read()
        open(path, "wb").write(prefix + data)
PY

{
  echo "Seed corpora of the fuzz targets, one folder per target, made by tests/fuzz/make_seeds.sh:"
  echo "lines, profile, registry, http_head, dispatch, update_script: samples written in the script;"
  echo "inflate: testbed/http/http_server.py --write-stream KIND; srf: testbed/srf/make_srf.py --batch"
  echo "tests/fixtures/resource/srf-fixtures.json; off4: the off4 entries of those .srf files (--expect);"
  echo "jpeg: ImageMagick convert from generated gradients; speech, music: tests/fixtures/sound."
  echo "Files named crash-* are reproducers of faults the fuzz targets found (kept as regression seeds)."
  echo
  echo "sha256:"
  (cd "$out" && find . -type f ! -name MANIFEST | sort | xargs sha256sum)
} > "$out/MANIFEST"
du -sh "$out"
