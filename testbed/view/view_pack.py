#!/usr/bin/env python3
"""Writes the batch manifest of the game view's fixture pack (for testbed/srf/make_srf.py).

Usage: python3 testbed/view/view_pack.py OUT.json

The pack holds, under the names the resource catalogue gives them:
  Palette    "pal " 2000: index 0 black, index i > 0 is (i, 255 - i, 7 i mod 256)
  LanguageFilter "Text" 1000: darn, heck*, *gosh, *dang*
  Intrfce    "off4" 1200: 1 the 32x32 tile (index 20), 5 the 640x480 background (index 30),
             10 the list's opening, 40 the list rows (text items 142-161),
             45 the control-panel button, 50-65 the chat box's scroll bar,
             70 the chat lines (text items 132-141), 75 the chat edit line (text item 131)
             timer: 80-84 the frame (index 50 + cel), 99-159 the sweep (60 + cel mod 10),
             199-259 the number (cel k shows 60 - k: index 100 + 60 - k),
             309-311 / 314-316 the two endings (70, 71), 319-321 the closing (72)
  Chance     "off4" 1500: 2104 the name board (index 40), 2109 the score panel (index 41)
  CPanel     "off4" 2000: 1 the panel (200x300 at 220,90, index 50), buttons 5-45 (index 51 + n/5,
             40x20 in a column), volume levels 50-80 (index 60 + level, 100x10 at 270,360)
  Comp       "off4" 1000: round r's number (1, 20, 40, 60, 80, 100; index 80 + r), their
             one-cel alternates (15, 35, 55, 75, 95, 113), round r's transition (280 + 20 (r - 1);
             index 90 + r), the game types' transitions 200, 220, 240, 260 (161-164), the finished
             picture 400 (165); three cels each
             405 the text panel (166), the introductions 498, 514, 545, 562 (175-178)
             caption entry 438 (item 167, index 179), 460 (168, 180), 477 (169, 181); sent marks
             454 (182), 492 (183)
  Vizuzor    "off4" 1010: entries 1, 36, 71 (181-183), pictures 107, 115, 123 (191-193), exits
             132, 153, 174 (201-203) of the frame styles 1-3, 194 the round-winner frame (210)
  Final      "off4" 1700: 1 the final-round introduction (index 170)
  Bill, CopyF, Slim, TabH "off4" 1780, 1720, 1760, 1740: 1 the type's animation (171-174),
             59 (TabH 58) its alternate
  Vot        "off4" 2900: the captions control, one cel each. List panels of n captions (one line
             1, 4, 11, 19, 28, 38, 49, 61, 74, 89, index 220 + n; two lines 366, 369, 376, 384, 393,
             403, 414, 426, 439, 454, index 230 + n) at (40, 40)-(420, 440), row r 40 pixels tall:
             one line text item 214 + r (style 10200 + 10 r), two lines 224 + 2r / 225 + 2r
             (10300 + 20 r, 10310 + 20 r); results panels 106, 117, 129, 143, 159, 180, 197, 219,
             243, 269 (index 240 + n) at (420, 40)-(600, 440): author 194 + r (10000 + 10 r),
             number 204 + r (10100 + 10 r); buttons 300 + 3r / 472 + 3r (index 120 + r) at
             (10, 48 + 40 r)-(34, 72 + 40 r); highlights 333 + 3r / 505 + 3r (index 135 + r) over
             row r at (40, 76 + 40 r)-(420, 80 + 40 r); markers 538 (index 150), 554 (151);
             nobody composed 570 (152), 658 (153)
  Options    "off4" 1100 (the room chooser): 1 the backdrop (index 220), 20 and 116 (221, 222),
             modes 5, 10, 15 (223-225), tabs 30, 25 (226, 227), join 35/40 (228, 229),
             lists 45/60 (230, 231; text items 1-20 of 1-60 placed), 50/65 (232, 233; items
             61-80 of 61-120 placed), hit area 55 (234), scroll bar 70, 80, 85 (235-237),
             find-my-friend: 91 the board (238; items 122-126), 96 the message (239; item 127),
             101 the hint (240; item 128), 106 the edit line (241; item 121), 111 the search
             button down (242)
  StandBy    "off4" 3100: 1 "Please Stand By..." (three cels, index 220), 15 "Downloading
             advertisement." (one cel, index 221)
  AdClick    "off4" 31000: 15 the click animation (three cels, index 222)
  Ads/TestAd a writer-made sponsor ad: "off4" 30000 200 (three cels, index 223, 400x300 at
             120,90) and "snd " 1 (a 400 ms tone)
  Sounds, a short tone each (the type and id the catalogue gives the file):
    Sfx   PixFrame 1055, TimerOn 1070, Zeravizuvu 1005, CopyFits 1030, Duzarezuri 1060, TabHeads 1065
    Voice Go 2050, FinalRndIntro 2208, ZeravizuvuVoice1 2195, CopyFitsVoice1 2205,
          SlimerickVoiceA1 2225, TabHeadsVoice1 2235, HeresZuv 2055, ZeravizuvuVoice2 2196,
          CopyFitsVoice2 2206, SlimerickVoiceA2 2226, SlimerickVoiceB 2230, Poem1-3 2210/2215/2220,
          TabHeadsVoice2 2236, NobodyComposed 2460, NobodyComposed2 2462, VoteNow 2470,
          VoteChange 2465, NobodyVoted 2415, NobodyVoted2 2417, ShowVotes 2440, VoteTie 2442,
          ShowPoints1-3 2425/2430/2435, ShowNoVotes 2420
          AdultLanguage 2360, Beginning 2365, ChooseForMe 2370, FindMyFriends 2375, FriendFound 2380,
          FriendFoundRoomFull 2385, FriendIsChoosing 2390, FriendNotFound 2395, KeepItClean 2400,
          LetMeChoose 2405, TryAgain 2410
    Sfx   SelectCaption 1057, OwnCaptionSelected 1048, Pencil 1050, Window 1085
    Music FatChanceB 3105
  Composition (own function): Music CompInstrLoop 3025, CompA-M 3030-3090; Sfx CaptionEntered 1012;
          tones from 6000 Hz, 40 Hz apart in that order, CaptionEntered at 7000 Hz
  Wrap       "off4" 1600 (the game-winner screen): the winner boards 307, 281, 253, 223, 191, 157,
             121, 83, 43, 1 for 1-10 entries (index 130 + n), the tie boards 294 (1 and 2 entries),
             267, 238, 207, 174, 139, 102, 63, 22 for 3-10 (index 140 + n), the no-winner board 319
             (index 151); three cels each at (150, 8)-(630, 228), a board of n entries with text
             items 174 + r (name, style 16000 + 10 r) and 184 + r (score, 16100 + 10 r) in row r,
             21 pixels tall
    Music WrapUp 3340 (1000 ms), FatChanceNegFanfare 3130; Voice GameOver10to20 2240,
          GameOver21Plus 2245, GameOver5orLess 2250, GameOverDefault 2255, GameOverNoWinner 2260,
          GameOverNoWinner2 2262, WeHaveTie 2265, WeHaveWinner 2270; Sfx Applause 1000
An animation runs from its number to the next missing cel.
"""

import json
import sys


def fill(width, height, index):
    return {"width": width, "height": height, "fill": index}


class Strip:
    def __init__(self):
        self.images = []
        self.cels = {}

    def cel(self, number, rect, index, texts=()):
        """texts: (style id, rect inside the cel) per text item, drawn over the fill after
        making the item's colour 0 current."""
        l, t, r, b = rect
        self.images.append(fill(r - l, b - t, index))
        slot = len(self.images)
        parts = [{"flags": 256, "rect": [0, 0, r - l, b - t], "number": slot}]
        for style, part in texts:
            parts.append({"flags": 288, "rect": list(part), "number": style + 6})
            parts.append({"flags": 288, "rect": list(part), "number": style})
        self.cels[number] = {"rect": list(rect), "parts": parts}

    def manifest(self, type_id):
        # The strip's cel n is the list's entry n - 1.
        last = max(self.cels) + 1
        cels = [self.cels.get(i) for i in range(1, last + 1)]
        return {"type": "off4", "id": type_id,
                "strip": {"images": self.images, "cels": cels, "lz": False}}


def intrfce():
    s = Strip()
    s.cel(1, (0, 0, 32, 32), 20)
    s.cel(5, (0, 0, 640, 480), 30)
    s.cel(10, (8, 8, 152, 230), 31)
    # Player rows: text items 142-161 (styles 12010-12200), two columns of ten
    # rows 20 pixels tall, names 8-112, scores 112-152.
    rows = [(12010 + 10 * k, (0, 20 * k, 104, 20 * k + 20)) for k in range(10)]
    rows += [(12110 + 10 * k, (104, 20 * k, 144, 20 * k + 20)) for k in range(10)]
    s.cel(40, (8, 24, 152, 224), 32, rows)
    s.cel(45, (580, 440, 630, 470), 33)
    s.cel(46, (580, 440, 630, 470), 34)
    for n in range(50, 66):
        s.cel(n, (604, 230, 620, 246), 35 + (n - 50) % 4)
    # Chat lines: text items 132-141 (styles 12310-12400), ten lines 20 pixels
    # tall from (160, 230) to (600, 430).
    lines = [(12310 + 10 * k, (0, 20 * k, 440, 20 * k + 20)) for k in range(10)]
    s.cel(70, (160, 230, 600, 430), 39, lines)
    # The chat entry: text item 131 (style 12220).
    s.cel(75, (160, 450, 560, 470), 40, [(12220, (0, 0, 400, 20))])
    for k in range(5):
        s.cel(80 + k, (20, 380, 120, 460), 50 + k)
    for k in range(61):
        s.cel(99 + k, (20, 370, 120, 378), 60 + k % 10)
    for k in range(61):
        s.cel(199 + k, (40, 400, 100, 440), 100 + 60 - k)
    for first, index, rect in ((309, 70, (130, 380, 170, 420)), (314, 71, (130, 380, 170, 420)),
                               (319, 72, (130, 430, 170, 470))):
        for k in range(3):
            s.cel(first + k, rect, index)
    return s.manifest(1200)


def chance():
    s = Strip()
    s.cel(2104, (500, 10, 620, 50), 40)
    s.cel(2109, (500, 60, 620, 100), 41)
    fat_chance_board(s)
    return s.manifest(1500)


# The Dar Eradar board's animation numbers per swatch.
FC_FACE_UP = (18, 228, 439, 649, 859, 1069, 1279, 1489, 1699, 1909)
FC_HIGHLIGHT = (33, 242, 452, 661, 870, 1079, 1288, 1497, 1706, 1915)
FC_FACE_DOWN = (47, 256, 466, 675, 884, 1093, 1302, 1511, 1720, 1929)
FC_ARRIVAL = (None, 223, 433, 642, 851, 1060, 1269, 1478, 1687, 1896)
FC_PICKED = (52, 261, 471, 680, 889, 1098, 1307, 1516, 1725, 1934)
FC_REVEAL = (61, 270, 480, 689, 898, 1107, 1316, 1525, 1734, 1943)
FC_SHOWN = (178, 387, 597, 806, 1015, 1224, 1433, 1642, 1851, 2060)
FC_PLAYER = (2226, 2238, 2250, 2262, 2274, 2286, 2154, 2166, 2178)
FC_YOU = (2298, 2310, 2322, 2334, 2346, 2358, 2190, 2202, 2214)


def fc_swatch_rect(i):
    left, top = 30 + 100 * (i % 5), 120 + 100 * (i // 5)
    return (left, top, left + 80, top + 80)


def fat_chance_board(s):
    """The Dar Eradar board in Chance.srf: 1 the board (index 42); per swatch i at
    (30 + 100 (i mod 5), 120 + 100 (i div 5)), 80x80, two cels each: face up (43),
    highlight (44), face down (45), arrival (46), picked (47), reveal of value k (48);
    one cel: shown with value k (150 + k). Selection: others 2114 (160), winner 2126
    (161), second half 2141 (162); results: player v (170 + v), you v (180 + v), two
    cels each at (100, 20)-(400, 100)."""
    s.cel(1, (20, 110, 530, 320), 42)
    for i in range(10):
        rect = fc_swatch_rect(i)
        for first, index in ((FC_FACE_UP[i], 43), (FC_HIGHLIGHT[i], 44), (FC_FACE_DOWN[i], 45),
                             (FC_ARRIVAL[i], 46), (FC_PICKED[i], 47)):
            if first is not None:
                s.cel(first, rect, index)
                s.cel(first + 1, rect, index)
        for k in range(9):
            s.cel(FC_REVEAL[i] + 13 * k, rect, 48)
            s.cel(FC_REVEAL[i] + 13 * k + 1, rect, 48)
            s.cel(FC_SHOWN[i] + 5 * k, rect, 150 + k)
    for first, index in ((2114, 160), (2126, 161), (2141, 162)):
        s.cel(first, (100, 20, 400, 100), index)
        s.cel(first + 1, (100, 20, 400, 100), index)
    for v in range(9):
        for first, index in ((FC_PLAYER[v], 170 + v), (FC_YOU[v], 180 + v)):
            s.cel(first, (100, 20, 400, 100), index)
            s.cel(first + 1, (100, 20, 400, 100), index)


def cpanel():
    s = Strip()
    s.cel(1, (220, 90, 420, 390), 50)
    for n in range(5, 50, 5):
        top = 100 + (n // 5) * 25
        s.cel(n, (240, top, 280, top + 20), 51 + n // 5)
    for level, n in enumerate(range(50, 85, 5)):
        s.cel(n, (270, 360, 370, 370), 60 + level)
    return s.manifest(2000)


ANNOUNCE = (200, 100, 440, 200)


def run(strip, first, index, cels=3):
    for k in range(cels):
        strip.cel(first + k, ANNOUNCE, index)


def comp():
    s = Strip()
    for r, (number, alternate) in enumerate(zip((1, 20, 40, 60, 80, 100), (15, 35, 55, 75, 95, 113)), 1):
        run(s, number, 80 + r)
        run(s, alternate, 80 + r, 1)
        run(s, 280 + 20 * (r - 1), 90 + r)
    for g, number in enumerate((200, 220, 240, 260)):
        run(s, number, 161 + g)
    run(s, 400, 165)
    run(s, 405, 166)
    for g, number in enumerate((498, 514, 545, 562)):
        run(s, number, 175 + g)
    round_winner_panels(s)
    # Caption entry: one line 438 (text item 167, style 30030), two lines 460 and 477
    # (168 and 169, styles 30060 and 30070); the sent marks 454 and 492, three cels each.
    s.cel(438, (100, 400, 540, 420), 179, [(30030, (0, 0, 440, 20))])
    s.cel(460, (100, 390, 540, 410), 180, [(30060, (0, 0, 440, 20))])
    s.cel(477, (100, 412, 540, 432), 181, [(30070, (0, 0, 440, 20))])
    run(s, 454, 182)
    run(s, 492, 183)
    return s.manifest(1000)


def vizuzor():
    s = Strip()
    for style, (entry, picture, exit_) in enumerate(((1, 107, 132), (36, 115, 153), (71, 123, 174)), 1):
        for first, index in ((entry, 180 + style), (picture, 190 + style), (exit_, 200 + style)):
            for k in range(3):
                s.cel(first + k, (100, 60, 540, 400), index)
    run(s, 194, 210)
    # The frames' cels draw the downloaded picture over their fill: the picture
    # strip's command 1 (this rectangle, fitted) and 5 (the whole picture, drawn).
    for first in (1, 36, 71, 107, 115, 123, 132, 153, 174):
        for k in range(3):
            for command in (1, 5):
                s.cels[first + k]["parts"].append({"flags": 288, "rect": [20, 20, 420, 320], "number": command})
    return s.manifest(1010)


ONE_LINE = (1, 4, 11, 19, 28, 38, 49, 61, 74, 89)
TWO_LINES = (366, 369, 376, 384, 393, 403, 414, 426, 439, 454)
RESULTS = (106, 117, 129, 143, 159, 180, 197, 219, 243, 269)


def vot():
    s = Strip()
    for n in range(1, 11):
        one = [(10200 + 10 * r, (0, 40 * r, 380, 40 * r + 40)) for r in range(n)]
        s.cel(ONE_LINE[n - 1], (40, 40, 420, 440), 220 + n, one)
        two = []
        for r in range(n):
            two.append((10300 + 20 * r, (0, 40 * r, 380, 40 * r + 20)))
            two.append((10310 + 20 * r, (0, 40 * r + 20, 380, 40 * r + 40)))
        s.cel(TWO_LINES[n - 1], (40, 40, 420, 440), 230 + n, two)
        results = [(10000 + 10 * r, (0, 40 * r, 120, 40 * r + 40)) for r in range(n)]
        results += [(10100 + 10 * r, (120, 40 * r, 180, 40 * r + 40)) for r in range(n)]
        s.cel(RESULTS[n - 1], (420, 40, 600, 440), 240 + n, results)
    for r in range(10):
        s.cel(300 + 3 * r, (10, 48 + 40 * r, 34, 72 + 40 * r), 120 + r)
        s.cel(472 + 3 * r, (10, 48 + 40 * r, 34, 72 + 40 * r), 120 + r)
        s.cel(333 + 3 * r, (40, 76 + 40 * r, 420, 80 + 40 * r), 135 + r)
        s.cel(505 + 3 * r, (40, 76 + 40 * r, 420, 80 + 40 * r), 135 + r)
    s.cel(538, (4, 40, 10, 440), 150)
    s.cel(554, (34, 40, 40, 440), 151)
    s.cel(570, (40, 40, 420, 440), 152)
    s.cel(658, (40, 40, 420, 440), 153)
    return s.manifest(2900)


# Text item n's style: items 1-60 are styles 11010-11600, 61-120 21010-21600,
# 121 is 11680 and 122-128 are 11610-11670 (the text style table's order).
def item_style(n):
    if 1 <= n <= 60:
        return 11000 + 10 * n
    if 61 <= n <= 120:
        return 21000 + 10 * (n - 60)
    if n == 121:
        return 11680
    return 11610 + 10 * (n - 122)


def list_rows(first):
    """The first twenty of the list's sixty items, rows 10 pixels tall (a cel holds at most 48
    parts, two per text item)."""
    return [(item_style(first + k), (0, 10 * k, 300, 10 * k + 10)) for k in range(20)]


def options():
    s = Strip()
    s.cel(1, (0, 0, 640, 480), 220)
    s.cel(20, (10, 10, 110, 40), 221)
    s.cel(116, (120, 10, 220, 40), 222)
    for k, n in enumerate((5, 10, 15)):
        s.cel(n, (20 + 80 * k, 50, 90 + 80 * k, 70), 223 + k)
    s.cel(30, (300, 50, 370, 70), 226)
    s.cel(25, (380, 50, 450, 70), 227)
    s.cel(35, (500, 420, 600, 450), 228)
    s.cel(40, (500, 420, 600, 450), 229)
    s.cel(45, (20, 100, 320, 300), 230, list_rows(1))
    s.cel(60, (20, 100, 320, 300), 231, list_rows(1))
    s.cel(50, (20, 100, 320, 300), 232, list_rows(61))
    s.cel(65, (20, 100, 320, 300), 233, list_rows(61))
    s.cel(55, (20, 100, 320, 300), 234)
    for k, n in enumerate((70, 80, 85)):
        s.cel(n, (330, 100 + 30 * k, 346, 116 + 30 * k), 235 + k)
    fields = [(item_style(122 + k), (0, 20 * k, 300, 20 * k + 20)) for k in range(5)]
    s.cel(91, (160, 120, 460, 220), 238, fields)
    s.cel(96, (160, 230, 460, 250), 239, [(item_style(127), (0, 0, 300, 20))])
    s.cel(101, (160, 260, 460, 280), 240, [(item_style(128), (0, 0, 300, 20))])
    s.cel(106, (160, 90, 400, 110), 241, [(item_style(121), (0, 0, 240, 20))])
    s.cel(111, (410, 90, 460, 110), 242)
    return s.manifest(1100)


def single(type_id, index, alternate):
    s = Strip()
    run(s, 1, index)
    run(s, alternate, index, 1)
    return s.manifest(type_id)


SOUNDS = {
    "Sfx ": {"AdClkSfx": 1400, "PixFrame": 1055, "TimerOn": 1070, "Zeravizuvu": 1005, "CopyFits": 1030, "Duzarezuri": 1060, "TabHeads": 1065,
             "SelectCaption": 1057, "OwnCaptionSelected": 1048, "Pencil": 1050, "Window": 1085},
    "Voic": {"Go": 2050, "FinalRndIntro": 2208, "ZeravizuvuVoice1": 2195, "CopyFitsVoice1": 2205,
             "SlimerickVoiceA1": 2225, "TabHeadsVoice1": 2235, "HeresZuv": 2055, "ZeravizuvuVoice2": 2196,
             "CopyFitsVoice2": 2206, "SlimerickVoiceA2": 2226, "SlimerickVoiceB": 2230, "Poem1": 2210,
             "Poem2": 2215, "Poem3": 2220, "TabHeadsVoice2": 2236, "NobodyComposed": 2460,
             "NobodyComposed2": 2462, "VoteNow": 2470, "VoteChange": 2465, "NobodyVoted": 2415,
             "NobodyVoted2": 2417, "ShowVotes": 2440, "VoteTie": 2442, "ShowPoints1": 2425,
             "ShowPoints2": 2430, "ShowPoints3": 2435, "ShowNoVotes": 2420, "AdultLanguage": 2360,
             "Beginning": 2365, "ChooseForMe": 2370, "FindMyFriends": 2375, "FriendFound": 2380,
             "FriendFoundRoomFull": 2385, "FriendIsChoosing": 2390, "FriendNotFound": 2395, "KeepItClean": 2400,
             "LetMeChoose": 2405, "TryAgain": 2410},
    "Musi": {"FatChanceB": 3105},
}


# The round-winner screen's intro and result panels in Comp: 410 the intro (three cels,
# index 185), 426 the one-line panel (186: headline item 173 = style 30020, caption item
# 170 = 30010), 432 the two-line panel (187: headline 173, lines 171 and 172 = 30040 and
# 30050), all at (40, 400)-(600, 472).
WINNER_PANEL = (40, 400, 600, 472)


def round_winner_panels(s):
    for k in range(3):
        s.cel(410 + k, WINNER_PANEL, 185)
    s.cel(426, WINNER_PANEL, 186, [(30020, (0, 0, 560, 24)), (30010, (0, 24, 560, 48))])
    s.cel(432, WINNER_PANEL, 187, [(30020, (0, 0, 560, 24)), (30040, (0, 24, 560, 48)),
                                   (30050, (0, 48, 560, 72))])


# The voting, scoring and round-winner screens' sounds, each a tone of its own pitch
# (3000 Hz up in steps of 50, in this order; the loop keeps the composition's tone) so a
# capture tells them apart.
ROUND_SOUNDS = [
    ("Musi", "CompInstrLoop", 3025), ("Musi", "VotingA", 3240), ("Musi", "VotingB", 3245),
    ("Musi", "VotingC", 3250), ("Musi", "VotingD", 3255), ("Musi", "VotingE", 3260),
    ("Musi", "VotingF", 3270), ("Musi", "VotingG", 3275), ("Musi", "VotingH", 3280),
    ("Musi", "VotingI", 3285), ("Musi", "VotingJ", 3290), ("Musi", "VotingK", 3295),
    ("Musi", "VotingL", 3300), ("Musi", "VotingM", 3305), ("Musi", "VotingN", 3310),
    ("Musi", "VotingO", 3315), ("Musi", "WinFanfare", 3330), ("Musi", "FatChanceNegFanfare", 3130),
    ("Voic", "RoundLosersFC", 2472), ("Voic", "RoundWinnerFC", 2473), ("Voic", "RoundLosers1", 2485),
    ("Voic", "RoundLosers2", 2488), ("Voic", "RoundWinner1", 2490), ("Voic", "RoundWinner2", 2492),
    ("Voic", "RoundWinner3", 2495), ("Voic", "NoWinner1", 2475), ("Voic", "NoWinner2", 2480),
    ("Voic", "NoWinner3", 2482),
]
ROUND_SOUND_HZ = {name: 3000 + 50 * k for k, (_, name, _) in enumerate(ROUND_SOUNDS)}


def round_sounds():
    """The round screens' sounds; the composition's loop keeps the composition's tone."""
    out = {}
    for kind, name, number in ROUND_SOUNDS:
        if name == "CompInstrLoop":
            continue
        out[name] = {"version": 2, "entries": [
            {"type": kind, "id": number,
             "sound": {"form": "pcm", "tone": {"hz": ROUND_SOUND_HZ[name], "ms": 400, "amplitude": 6000}}}]}
    return out


AD_RECT = (120, 90, 520, 390)


def stand_by():
    s = Strip()
    for k in range(3):
        s.cel(1 + k, (160, 200, 480, 230), 220)
    s.cel(15, (160, 240, 480, 270), 221)
    return s.manifest(3100)


def ad_click():
    s = Strip()
    for k in range(3):
        s.cel(15 + k, (500, 400, 540, 440), 222)
    return s.manifest(31000)


def test_ad():
    s = Strip()
    for k in range(3):
        s.cel(200 + k, AD_RECT, 223)
    return s.manifest(30000)


def long_ad(batch):
    """Ads/LongAd: 45 cels (3 s at 15 a second) of one image, index 223, and a 3 s
    tone: long enough for the first ad of a break to take a click (it does a
    second after it begins)."""
    l, t, r, b = AD_RECT
    cel = {"rect": list(AD_RECT), "parts": [{"flags": 256, "rect": [0, 0, r - l, b - t], "number": 1}]}
    strip = {"images": [fill(r - l, b - t, 223)], "cels": [None] * 199 + [cel] * 45, "lz": False}
    batch["LongAd"] = {"version": 2, "entries": [{"type": "off4", "id": 30000, "strip": strip}, {
        "type": "snd ", "id": 1, "sound": {"form": "pcm", "tone": {"hz": 740, "ms": 3000, "amplitude": 6000}}}]}


def sounds():
    out = {}
    hz = 300
    for kind, files in SOUNDS.items():
        for name, number in files.items():
            hz += 40
            out[name] = {"version": 2, "entries": [
                {"type": kind, "id": number,
                 "sound": {"form": "pcm", "tone": {"hz": hz, "ms": 400, "amplitude": 6000}}}]}
    return out


# The Dar Eradar sounds, each a tone of its own pitch (2700 Hz and up, 30 Hz apart).
FAT_CHANCE_SOUNDS = {
    "Sfx ": {"SwatchDownTurn": 1062, "SwatchSelected": 1063},
    "Voic": {"FCOthers1": 2065, "FCOthers2": 2066, "FCOthers3": 2067, "FCWinner": 2090, "FCTooSlow1": 2080,
             "FCTooSlow2": 2085, "SecondHalf1": 2140, "SecondHalf2": 2145,
             "PlyrReceive1": 2110, "PlyrReceive2": 2115, "PlyrReceive3": 2120, "PlyrReceive4": 2125,
             "PlyrReceive6": 2130, "PlyrReceive8": 2135, "PlyrLose1": 2095, "PlyrLose2": 2100, "PlyrLose4": 2105,
             "YouReceive1": 2165, "YouReceive2": 2170, "YouReceive3": 2175, "YouReceive4": 2180,
             "YouReceive6": 2185, "YouReceive8": 2190, "YouLose1": 2150, "YouLose2": 2155, "YouLose4": 2160},
    "Musi": {"FatChanceC": 3110, "FatChanceNegFanfare": 3130, "WinFanfare": 3330},
}


def fat_chance_sounds():
    """The board's sounds; the fanfares the round screens share keep the round sounds' tones."""
    out = {}
    hz = 2700
    for kind, files in FAT_CHANCE_SOUNDS.items():
        for name, number in files.items():
            if name in ROUND_SOUND_HZ:
                continue
            out[name] = {"version": 2, "entries": [
                {"type": kind, "id": number,
                 "sound": {"form": "pcm", "tone": {"hz": hz, "ms": 400, "amplitude": 6000}}}]}
            hz += 30
    return out


# The composition screen's music, tones from 6000 Hz up, 40 Hz apart in this order, and
# its effect at 7000 Hz, so a capture tells them apart from the other sounds (below 5000 Hz).
COMPOSITION_SOUNDS = [("Musi", "CompInstrLoop", 3025, 6000)] + [
    ("Musi", "Comp" + chr(ord("A") + k), 3030 + 5 * k, 6040 + 40 * k) for k in range(13)] + [
    ("Sfx ", "CaptionEntered", 1012, 7000)]


def composition_sounds():
    out = {}
    for kind, name, number, hz in COMPOSITION_SOUNDS:
        out[name] = {"version": 2, "entries": [
            {"type": kind, "id": number,
             "sound": {"form": "pcm", "tone": {"hz": hz, "ms": 400, "amplitude": 6000}}}]}
    return out


WINNER_BOARDS = (307, 281, 253, 223, 191, 157, 121, 83, 43, 1)
TIE_BOARDS = (294, 294, 267, 238, 207, 174, 139, 102, 63, 22)
WRAP_SOUNDS = {
    "Musi": {"WrapUp": 3340, "FatChanceNegFanfare": 3130},
    "Voic": {"GameOver10to20": 2240, "GameOver21Plus": 2245, "GameOver5orLess": 2250, "GameOverDefault": 2255,
             "GameOverNoWinner": 2260, "GameOverNoWinner2": 2262, "WeHaveTie": 2265, "WeHaveWinner": 2270},
    "Sfx ": {"Applause": 1000},
}


def wrap():
    s = Strip()
    # Above the chat box and right of the player list, which the screen shows with it.
    area = (150, 8, 630, 228)
    for n in range(10, 0, -1):
        rows = [(16000 + 10 * r, (0, 21 * r + 4, 300, 21 * r + 25)) for r in range(n)]
        rows += [(16100 + 10 * r, (300, 21 * r + 4, 480, 21 * r + 25)) for r in range(n)]
        for k in range(3):
            s.cel(WINNER_BOARDS[n - 1] + k, area, 130 + n, rows)
            if n > 1:
                s.cel(TIE_BOARDS[n - 1] + k, area, 140 + n, rows)
    for k in range(3):
        s.cel(319 + k, area, 151)
    return s.manifest(1600)


def game_winner(batch):
    """The game-winner screen's board strip and sounds; a sound another screen's fixtures
    already hold is kept as it is."""
    batch["Wrap"] = {"version": 2, "entries": [wrap()]}
    hz = 5000
    for kind, files in WRAP_SOUNDS.items():
        for name, number in files.items():
            hz += 60
            ms = 1000 if name == "WrapUp" else 400
            batch.setdefault(name, {"version": 2, "entries": [
                {"type": kind, "id": number,
                 "sound": {"form": "pcm", "tone": {"hz": hz, "ms": ms, "amplitude": 6000}}}]})
# The ad break's set 0 and the opening (one tone per sound, its length in ms).
BREAK_AND_OPENING_SOUNDS = {
    "Musi": {"AdBreakA": (3000, 300), "QuonzaM": (3010, 300), "Title": (3220, 2000),
             "AdBreakB": (3001, 300), "AdBreakB2": (3002, 300)},
    "Voic": {"R3Intro": (2035, 500), "R3Extro": (2030, 700), "Instructions": (2275, 3000),
             "R6Intro": (2045, 200), "R6Extro": (2040, 200), "FinalIntro": (2025, 200),
             "FinalExtro1": (2005, 200), "FinalExtro2": (2010, 200), "FinalExtro3": (2015, 200),
             "FinalExtro4": (2020, 200),
             "Skip1": (2300, 300), "Skip2": (2305, 300), "Skip3": (2310, 300), "Skip4": (2315, 300),
             "Welcome1": (2445, 400), "Welcome2": (2450, 400), "Welcome3": (2455, 400)},
    "Sfx ": {"Skip": (1058, 100), "Flash": (1040, 100), "BuildingCrash": (1010, 100), "Cloth": (1025, 100),
             "Applause": (1000, 100), "FootStomp": (1045, 100), "TurdSplat": (1080, 100), "Jabba": (1047, 100),
             "Clock": (1015, 100)},
}


def break_and_opening(batch):
    """A sound another screen's fixtures already hold is kept as it is. SegA1 1800: the intro 1 (index 11) and outro 28 (12); Instr 1300: the
    instructions 1 (13) and 1350 (14), the skip hint 1446 (15), the skip 1458 (16);
    Quonza 2500: 1 (17); Intro 1400: 1 (18); three cels each. The brand palette
    1000 joins Palette.srf: index i is (255 - i, i, 128)."""
    strips = {"SegA1": (1800, [(1, 11), (28, 12)]),
              "Instr": (1300, [(1, 13), (1350, 14), (1446, 15), (1458, 16)]),
              "Quonza": (2500, [(1, 17)]),
              "Intro": (1400, [(1, 18)])}
    for name, (type_id, runs) in strips.items():
        s = Strip()
        for first, index in runs:
            run(s, first, index)
        batch[name] = {"version": 2, "entries": [s.manifest(type_id)]}
    hz = 1000
    for kind, files in BREAK_AND_OPENING_SOUNDS.items():
        for name, (number, ms) in files.items():
            hz += 30
            batch.setdefault(name, {"version": 2, "entries": [
                {"type": kind, "id": number,
                 "sound": {"form": "pcm", "tone": {"hz": hz, "ms": ms, "amplitude": 6000}}}]})
    batch["Palette"]["entries"].append(
        {"type": "pal ", "id": 1000, "palette": [[255 - i, i, 128] for i in range(256)]})


def main():
    palette = [[0, 0, 0]] + [[i, 255 - i, (7 * i) % 256] for i in range(1, 256)]
    batch = {
        "Palette": {"version": 2, "entries": [{"type": "pal ", "id": 2000, "palette": palette}]},
        "LanguageFilter": {"version": 2, "entries": [
            {"type": "Text", "id": 1000, "coded_text": ["darn", "heck*", "*gosh", "*dang*"]}]},
        "Intrfce": {"version": 2, "entries": [intrfce()]},
        "Chance": {"version": 2, "entries": [chance()]},
        "CPanel": {"version": 2, "entries": [cpanel()]},
        "Comp": {"version": 2, "entries": [comp()]},
        "Vizuzor": {"version": 2, "entries": [vizuzor()]},
        "Vot": {"version": 2, "entries": [vot()]},
        "Final": {"version": 2, "entries": [single(1700, 170, 2)]},
        "Bill": {"version": 2, "entries": [single(1780, 171, 59)]},
        "CopyF": {"version": 2, "entries": [single(1720, 172, 59)]},
        "Slim": {"version": 2, "entries": [single(1760, 173, 59)]},
        "TabH": {"version": 2, "entries": [single(1740, 174, 58)]},
        "Options": {"version": 2, "entries": [options()]},
    }
    batch["StandBy"] = {"version": 2, "entries": [stand_by()]}
    batch["AdClick"] = {"version": 2, "entries": [ad_click()]}
    batch["TestAd"] = {"version": 2, "entries": [test_ad(), {
        "type": "snd ", "id": 1, "sound": {"form": "pcm", "tone": {"hz": 660, "ms": 400, "amplitude": 6000}}}]}
    batch.update(sounds())
    batch.update(round_sounds())
    batch.update(fat_chance_sounds())
    batch.update(composition_sounds())
    game_winner(batch)
    break_and_opening(batch)
    long_ad(batch)
    with open(sys.argv[1], "w") as out:
        json.dump(batch, out)


if __name__ == "__main__":
    main()
