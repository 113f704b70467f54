#!/usr/bin/env bash
# Makes the fuzz targets' seed corpora in tests/fuzz/corpus/ from our own
# generators and the tests' fixtures, and rewrites corpus/MANIFEST with each
# file's source and checksum. Run from anywhere; needs python3 and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=tests/fuzz/corpus
find "$out" -type f ! -name 'crash-*' -delete 2>/dev/null || true
mkdir -p "$out"/{lines,profile,registry,http_head,inflate,dispatch,update_script,srf,off4,jpeg,speech,music}
mkdir -p "$out"/{irc,batcher,room_msg,room_records,game_msg,filter,logon,sound_data,version,game_dispatch}
mkdir -p "$out"/{local_settings,palette,srf_version}
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

# The later targets' seeds, each with the leading settings its source reads.
# Filter lists, palettes and sounds come from the .srf writer's own encoders.
python3 - "$out" tests/fixtures/sound <<'PY'
import os, struct, sys
sys.path.insert(0, "testbed/srf")
import make_srf
out, sounds = sys.argv[1], sys.argv[2]
def put(target, name, data):
    with open(os.path.join(out, target, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))
Q = "\x02"

# IRC: the count of read sizes less one, the sizes (two bytes each), then what the server sent.
irc = (":irc.example 001 a1234567890 :Welcome\r\n:irc.example 353 a1 = #Big_000 :a1 bot\r\n"
       ":irc.example 366 a1 #Big_000 :End\r\nPING :irc.example\r\n"
       ":bot!b@h PRIVMSG a1 :H " + Q + "Hello all" + Q + " \x03\x04CR 1 \x03\x04PV 7 \r\n"
       ":x!y@z PRIVMSG #Big_000 :\x01VERSION\x01\n:x!y@z JOIN :#Big_000\n:x!y@z PART #Big_000 :bye\r"
       ":op!o@h KICK #Big_000 x :out\n:x!y@z NICK :w\n:w!y@z QUIT :gone\n:s MODE a1 +i\n"
       ":s NOTICE a1 :note\r\n:s 433 * a1 :in use\r\n")
put("irc", "session", b"\x01\x00\x07\x00\x40" + irc.encode("latin-1"))
put("irc", "overlong", b"\x00\x01\x00" + b"y" * 600 + b"\r\nPING :after\r\n")

# Batcher: the buffer size (two bytes), then lines as fed.
put("batcher", "batches", b"\x02\x00" + ("PRIVMSG a1 :LN 1\x03\x04PUC hi Bob\x03\x03\x04x\n"
    "PRIVMSG #Big_000 :\x034red\n255 nick :3 users\x03\x04x\nPRIVMSG n a\x03\x04b\n").encode("latin-1"))
put("batcher", "small-buffer", b"\x00\x05" + ("PRIVMSG a1 :one\x03\x04two\x03\x04\n" + "x" * 520 + "\n").encode("latin-1"))

# Room messages of the room bot (the tests' wire texts).
room = {
    "logon": "L Ann 5 Version 1 0 0 7 2 3 1 ",
    "logon-now": "LN 4294967295 ",
    "accepted": "LA Lobby Version 2 0 0 -1 3000000000 ",
    "ads": "SA 1 AL 2 Ad ad1 " + Q + "text one" + Q + " 15000 Ad " + Q + Q + " " + Q + Q + " 0 S 1 2 3 4 5 ",
    "chat": "PUC " + Q + "hi all" + Q + " Bob ",
    "private": "PRC " + Q + Q + " Bob " + Q + "Ann Lee" + Q + " ",
    "player-found": "PF P Eve R " + Q + "Room with spaces" + Q + " irc.example 6667 room1 " + Q +
                    "listing rooms" + Q + " 3 1 12 ",
    "room-item": "RI 0 R a b 1 c d 1 1 1 ",
    "sync": "ST S 4294967295 1 2 3 4 ",
    "request-sync": "RS 0x7fffffff 300 ",
    "logoff": "LO -1 ",
}
for name, text in room.items():
    put("room_msg", name, text)

# Records: the first byte picks the reader (player, room, version, ad, ad list,
# fat chance entry and list, picture).
records = ["P Ann ", "R " + Q + "Room one" + Q + " irc.example 6667 room1 full 3 -1 12 ",
           "Version 1 2 3 -2 ", "Ad ad1 " + Q + "text" + Q + " 15000 ",
           "AL 2 Ad a b 1 Ad " + Q + Q + " " + Q + Q + " 0 ", "B 1 1 ", "BL 2 B 1 1 B -2 -1 ",
           "Zuv pic.jpg pics 7 -3 " + Q + "a text" + Q + " 9 "]
for kind, text in enumerate(records):
    put("room_records", "kind-%d" % kind, bytes([kind]) + text.encode("latin-1"))

# The game's messages (0 leads a whole message, 2 a player record, 3 a room record).
pic = "Zuv pic.jpg pics 7 -3 " + Q + "a text" + Q + " 9 "
seg = "S 100 52000 6000 45000 1000 "
game = {
    "hello": "H " + Q + "Hello all" + Q + " ",
    "start-comp": "SC 1 " + pic + "2 a b c " + seg,
    "start-score": "SS 1 -1 1 -7 " + Q + Q + " " + seg,
    "fat-chance": "SFCS 3 Bob 4 BL 2 B 1 1 B -2 -1 1 -9 " + seg,
    "game-winner": "SGW 1 2 Ann 10 " + Q + "Bo B" + Q + " -3 " + seg,
    "picture-ads": "SZuvA -4 SA 1 AL 1 Ad ad1 x 15000 " + seg,
    "comp-list": "CLI 0 Ann one " + Q + "two words" + Q + " ",
    "results": "RLI 1 Ann 3 30 -120 -1 ",
    "generic": "PLI 2 P Dee ",
}
for name, text in game.items():
    put("game_msg", name, b"\x00" + text.encode("latin-1"))
put("game_msg", "player", b"\x02" + b"PP 30 P Ann ")
put("game_msg", "room", b"\x03" + b"PR 2 60 1 -1 R a b 1 c d 1 1 1 ")

# Filter lists: the first byte is the chat text's length times two, plus one
# when the rest is a bare coded text to be sealed.
chat = b"what a darn fine day"
put("filter", "block", bytes([len(chat) * 2]) + chat + make_srf.coded_text(["darn", "*heck", "shoot*", "*gosh*"]))
put("filter", "sealed", bytes([len(chat) * 2 + 1]) + chat + make_srf.coded_text(["Fine", "", "x" * 700])[8:])

# Registration answers.
put("logon", "validate", "result=0\nplayer_name=Ann+Lee%2B\nplayer_id=42\nplayersession_id=4294967295\nadult=1\n")
put("logon", "refused", "result=6\r\n")
put("logon", "result-detail", "Result=13&Detail=21")
put("logon", "encoded", "a%2Bb%26c%3Dd%25e%zzf+g%4")

# Stored sounds: plays (one byte), piece size (two bytes), then the data.
lead = b"\x01\x01\x00"
put("sound_data", "wave.wav", lead + make_srf.riff_wave(make_srf.tone_samples({"ms": 10})))
put("sound_data", "ima.xima", lead + make_srf.ima_blocks(make_srf.tone_samples({"ms": 12})))
wave_extra = make_srf.riff_wave([1, -1, 300, -300])
wave_extra = wave_extra[:12] + b"LIST\x03\x00\x00\x00abc\x00" + wave_extra[12:]
put("sound_data", "wave-odd-chunk.wav", b"\x02\x00\x07" + wave_extra)
for name in ("speech-comfort.ts", "music_8k.xmp"):
    put("sound_data", name, lead + open(os.path.join(sounds, name), "rb").read())

# Version records: mode (odd: seal a record at 97 times half the mode), text
# buffer size, then the bytes; the bytes read as a version text too.
def record(parts, product, comments, special):
    body = bytes([0x7F]) + b"VzVersionRec\x00\x01\xfe" + struct.pack("<4H", *parts)
    for text, size in ((product, 64), (comments, 128), (special, 64)):
        body += text.encode("latin-1")[:size - 1].ljust(size, b"\0")
    h = 2166136261
    for b in body:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return body + struct.pack("<I", h)
put("version", "record", b"\x00\x20" + b"1.2.3.4\0" + b"x" * 100 + record((1, 0, 2, 3), "Vizuzor", "test build", "sb"))
put("version", "sealed", b"\x01\x08" + b"1.2.3.*" + bytes(300))
put("version", "none", b"\x00\x00none")
# A .srf's version text.
put("srf_version", "full", b"1.2.3.4")
put("srf_version", "wildcard", b"2.0.0.*\0junk")
put("srf_version", "none", b"NONE")

# The game's dispatch file: the generic keys and two picture servers.
dispatch = open(os.path.join(out, "dispatch", "full"), "rb").read().replace(
    b"[Dispatch File]\r\n", b"[Dispatch File]\r\nVizuzor Server Section=Picture\r\n")
put("game_dispatch", "full", dispatch + b"[Picture 1]\r\nHTTP Server Name=pic1\r\nHTTP Server Port=80\r\n"
    b"[Picture 2]\r\nHTTP Server Name=pic2\r\nHTTP Server Port=8080\r\n")
put("game_dispatch", "long-prefix", b"[Dispatch File]\nVizuzor Server Section=" + b"P" * 120 + b"\n")

# Developer settings.
put("local_settings", "debug", "[Debug]\r\nDispatchServerName=dispatch.example\r\nDispatchServerPort=8080\r\n"
    "OverrideGameServer=1\r\nGameServerName=irc.example\r\nGameServerPort=-1\r\nSimulateLogon=true\r\n"
    "LaunchBrowser=0\r\nFullScreen=false\r\nScreenWidth=800x\r\nUserName=Ann Lee\r\nPreflight=TRUE\r\n")

# Palettes: the .srf writer's palette text, and one a line short.
put("palette", "gray", make_srf.palette_text("gray"))
put("palette", "short", make_srf.palette_text([[i, 255 - i, i // 2] for i in range(255)]))
PY

{
  echo "Seed corpora of the fuzz targets, one folder per target, made by tests/fuzz/make_seeds.sh:"
  echo "lines, profile, registry, http_head, dispatch, update_script: samples written in the script;"
  echo "inflate: testbed/http/http_server.py --write-stream KIND; srf: testbed/srf/make_srf.py --batch"
  echo "tests/fixtures/resource/srf-fixtures.json; off4: the off4 entries of those .srf files (--expect);"
  echo "jpeg: ImageMagick convert from generated gradients; speech, music: tests/fixtures/sound."
  echo "irc, batcher, room_msg, room_records, game_msg, logon, version, srf_version, game_dispatch, local_settings:"
  echo "samples written in the script (room texts as in the room-message tests); filter, palette,"
  echo "sound_data: the encoders of testbed/srf/make_srf.py (sound_data also tests/fixtures/sound)."
  echo "Files named crash-* are reproducers of faults the fuzz targets found (kept as regression seeds)."
  echo
  echo "sha256:"
  (cd "$out" && find . -type f ! -name MANIFEST | sort | xargs sha256sum)
} > "$out/MANIFEST"
du -sh "$out"
