#!/usr/bin/env python3
"""Lays out the demo server tree that testbed/http/http_server.py --tree serves.

    make_server.py --pack PACK --out DIR

From the generated pack (testbed/demo/pack/make_pack.py) it writes:
    picture/dispatch/client/dispatch.ini   the dispatch file (ports as @HTTP_PORT@ and
                                           @IRC_PORT@, which the server fills in)
    content/updatescript.ini               the update script: the ad folder, then every
                                           pack file, updated when missing or older
    content/1.0.0.0/...                    the files of version 1.0.0.0 (links into PACK)
    content/ads/                           the sponsor ad and the list ads
    pictures/round1/p1.jpg .. p8.jpg, big.jpg
    web/sponsors.cgi, web/thanks.html, web/error.html
The logon CGI pages (cgi/validate.cgi, cgi/register.cgi, cgi/change.cgi) are answered by
the server itself. The tree is rebuilt only when the pack's stamp changed.
"""
import argparse
import fcntl
import os
import shutil
import sys

VERSION = "1.0.0.0"
BOT = "ZuvLobby"
LOBBY_CHANNEL = "Big_List"


def dispatch_ini():
    lines = [
        "[Dispatch File]",
        "Update Script Server Path=content/updatescript.ini",
        "Register CGI Name=cgi/register.cgi",
        "Validate CGI Name=cgi/validate.cgi",
        "Change CGI Name=cgi/change.cgi",
        "Registration Server Section=Registration Server",
        "Content Server Section=Content Server",
        "Game List Server Section=Game List Server",
        "Vizuzor Server Section=Picture Server",
        "",
        "[Web Server]",
        "HTTP Server Name=127.0.0.1",
        "HTTP Server Port=@HTTP_PORT@",
        "Sponsors CGI=web/sponsors.cgi",
        "Success Page=web/thanks.html",
        "Error Page=web/error.html",
        "",
        "[Registration Server 1]",
        "HTTP Server Name=127.0.0.1",
        "HTTP Server Port=@HTTP_PORT@",
        "",
        "[Content Server 1]",
        "HTTP Server Name=127.0.0.1",
        "HTTP Server Port=@HTTP_PORT@",
        "",
        "[Game List Server 1]",
        "IRC Server Name=127.0.0.1",
        "IRC Server Port=@IRC_PORT@",
        "IRC Server Password=",
        "IRC Channel Name=" + LOBBY_CHANNEL,
        "IRC Channel Password=",
        "IRC Bot Nickname=" + BOT,
        "",
        "[Picture Server 1]",
        "HTTP Server Name=127.0.0.1",
        "HTTP Server Port=@HTTP_PORT@",
    ]
    return "\r\n".join(lines) + "\r\n"


def update_script(files):
    """files: [(client path with backslashes, size, priority, mandatory)]"""
    folders = sorted({"Ads"} | {p.rsplit("\\", 1)[0] for p, _, _, _ in files}
                     | {p.split("\\", 1)[0] for p, _, _, _ in files}, key=lambda f: (f.count("\\"), f))
    out = ["[Update Script]", "1 Goto=Ad Folder", "2 Goto=Folders", "3 Goto=Files", "",
           "[Ad Folder]", "Command=set variable", "Variable=AdServerFolder", "Value=content/ads", "",
           "[Folders]"]
    out += ["%d Goto=Folder %d" % (i, i) for i in range(1, len(folders) + 1)]
    out.append("")
    for i, folder in enumerate(folders, 1):
        out += ["[Folder %d]" % i, "Command=if client_folder DoesNotExist then create_folder",
                "Client Folder=" + folder, ""]
    out.append("[Files]")
    out += ["%d Goto=File %d" % (i, i) for i in range(1, len(files) + 1)]
    out.append("")
    for i, (path, size, priority, mandatory) in enumerate(files, 1):
        out += ["[File %d]" % i, "1 Goto=File %d Missing" % i, "2 Goto=File %d Older" % i, ""]
        for suffix, command in (("Missing", "if client_path DoesNotExist then update"),
                                ("Older", "if client_path LessThan version then update")):
            out += ["[File %d %s]" % (i, suffix), "Command=" + command, "Client Path=" + path,
                    "Version=" + VERSION, "Group Priority=%d" % priority, "Mandatory=%d" % mandatory,
                    "File Size Bytes=%d" % size, ""]
    out += ["[Server Version Folders]", "%s=content/%s" % (VERSION, VERSION)]
    return "\r\n".join(out) + "\r\n"


PAGE = "<html><head><title>%s</title></head><body><h1>%s</h1><p>%s</p></body></html>\n"


def link(src, dst):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    try:
        os.link(src, dst)
    except OSError:
        shutil.copyfile(src, dst)


def build(pack, out):
    files = []
    resources = os.path.join(pack, "Resources")
    for root, _, names in os.walk(resources):
        for name in sorted(names):
            src = os.path.join(root, name)
            rel = os.path.relpath(src, pack)
            link(src, os.path.join(out, "content", VERSION, rel))
            files.append((rel.replace(os.sep, "\\"), os.path.getsize(src), 1, 1))
    files.sort()
    for name in sorted(os.listdir(os.path.join(pack, "Ads"))):
        link(os.path.join(pack, "Ads", name), os.path.join(out, "content", "ads", name))
    for name in sorted(os.listdir(os.path.join(pack, "pictures"))):
        link(os.path.join(pack, "pictures", name), os.path.join(out, "pictures", "round1", name))
    os.makedirs(os.path.join(out, "picture", "dispatch", "client"), exist_ok=True)
    with open(os.path.join(out, "picture", "dispatch", "client", "dispatch.ini"), "w", newline="") as f:
        f.write(dispatch_ini())
    with open(os.path.join(out, "content", "updatescript.ini"), "w", newline="") as f:
        f.write(update_script(files))
    os.makedirs(os.path.join(out, "web"), exist_ok=True)
    for name, title, text in (("sponsors.cgi", "Sponsors", "Our sponsors."),
                              ("thanks.html", "Thanks for playing", "See you soon."),
                              ("error.html", "Something went wrong", "Please try again later.")):
        with open(os.path.join(out, "web", name), "w") as f:
            f.write(PAGE % (title, title, text))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pack", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    pack, out = os.path.abspath(args.pack), os.path.abspath(args.out)
    os.makedirs(os.path.dirname(out), exist_ok=True)
    lock = open(out + ".lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)  # one maker at a time
    stamp = open(os.path.join(pack, ".stamp")).read() + open(__file__).read()
    mine = os.path.join(out, ".stamp")
    if os.path.exists(mine) and open(mine).read() == stamp:
        return 0
    if os.path.isdir(out):
        shutil.rmtree(out)
    build(pack, out)
    with open(mine, "w") as f:
        f.write(stamp)
    return 0


if __name__ == "__main__":
    sys.exit(main())
