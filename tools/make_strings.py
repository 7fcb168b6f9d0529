#!/usr/bin/env python3
"""Writes resources/strings.txt, the program's string table.

Every text the program loads by number lives here: the editor help (99),
the instrument names (201-329), the percussion names (335-381), the key help
shown while playing (401-433), the help topics of the main window (500-506),
the default settings file (508), the default chord pattern library (509) and
the chord and degree tables (510, 511).

File format (read by src/platform/Resources.cpp): UTF-8, a line "@@@ <id>"
starts an entry, the following lines up to the next marker are its text and
are joined with CR LF. A text line that itself ends in a CR is written with
one extra CR, because the reader drops one CR before each LF. Lines before
the first marker are ignored; the table's header comment lives there.

Run:  python3 tools/make_strings.py   (from the repository root or anywhere)
"""
import os
import sys

CRLF = "\r\n"

# ---------------------------------------------------------------- 99: editor help
EDITOR_HELP = (
    "   本音乐编辑窗口仍然使用电子琴的音符符号,每种\r\r\n"
    "乐器后面都有该乐器的演奏音量，当改变了某小节的\r\r\n"
    "旋律或打击乐时应试听本小节，当改变了本小节的音\r\r\n"
    "调，速度，音量等内容时应保存本小节，未完成的编\r\r\n"
    "辑可以保存为编辑文件以备下次继续，录音等操作与\r\r\n"
    "电子琴相同！\r\n"
    "\t\t有任何意见或建议请联系\r\n"
    "\t\tdianziqin 开发组（软件主页上的意见反馈）"
)

# ------------------------------------------------- 201-329: instrument list
# List index k (1..128) selects General MIDI program k - 1; the text is
# "k." followed by the Chinese name. Index 0 is no instrument.
INSTRUMENTS = [
    "无声",
    # 1-8 pianos
    "明亮钢琴", "电钢琴", "酒吧钢琴", "柔和电钢琴",
    "合唱电钢琴", "合成电钢琴", "羽管键琴", "击弦古钢琴",
    # 9-16 chromatic percussion
    "钢片琴", "钟琴", "八音盒", "电颤琴",
    "马林巴", "木琴", "编钟", "扬琴",
    # 17-24 organs
    "击杆风琴", "打击风琴", "摇滚风琴", "教堂管风琴",
    "簧风琴", "手风琴", "口琴", "探戈手风琴",
    # 25-32 guitars
    "尼龙弦吉它", "钢丝弦吉它", "爵士电吉它", "清音电吉它",
    "闷音电吉它", "过载吉它", "失真吉它", "吉它泛音",
    # 33-40 basses
    "原声贝司", "电贝司", "手弹贝司", "无品贝司",
    "击弦贝司1", "击弦贝司2", "合成贝司1", "合成贝司2",
    # 41-48 strings
    "小提琴", "中提琴", "大提琴", "低音提琴",
    "弦乐震音", "弦乐拨奏", "竖琴", "定音鼓",
    # 49-56 ensembles
    "弦乐合奏1", "弦乐合奏2", "合成弦乐1", "合成弦乐2",
    "人声合唱", "人声哼唱", "合成人声", "管弦乐齐奏",
    # 57-64 brass
    "小号", "长号", "大号", "弱音小号",
    "圆号", "铜管组", "合成铜管1", "合成铜管2",
    # 65-72 reeds
    "高音萨克斯", "中音萨克斯", "次中音萨克斯", "上低音萨克斯",
    "双簧管", "英国管", "大管", "单簧管",
    # 73-80 pipes
    "短笛", "长笛", "竖笛", "排箫",
    "吹瓶声", "尺八", "口哨", "陶笛",
    # 81-88 synth leads
    "方波主音", "锯齿波主音", "诗歌", "吹管主音",
    "电吉它主音", "人声主音", "五度主音", "贝司主音",
    # 89-96 synth pads
    "新世纪", "温暖铺底", "复音合成", "合唱铺底",
    "弓弦铺底", "金属铺底", "光环", "扫掠",
    # 97-104 synth effects
    "雨声", "电影音轨", "水晶", "大气层",
    "明亮效果", "魔幻", "回声", "科幻",
    # 105-112 ethnic
    "西塔尔琴", "班卓琴", "三味线", "古筝",
    "卡林巴", "风笛", "民间提琴", "唢呐",
    # 113-120 percussive
    "叮当铃", "阿哥哥", "钢鼓", "木鱼",
    "太鼓", "通通鼓", "架子鼓", "反向镲",
    # 121-128 sound effects
    "吉它换把声", "呼吸声", "海浪声", "鸟鸣",
    "电话铃", "直升机", "鼓掌声", "枪声",
]

# ------------------------------------------------- 335-381: percussion list
# List index k (0..46) is General MIDI percussion key k + 35; no number prefix.
PERCUSSION = [
    "低音大鼓",        # 35
    "低音鼓",          # 36
    "鼓边敲击",        # 37
    "小鼓",            # 38
    "拍掌",            # 39
    "电子小鼓",        # 40
    "落地通鼓-低音",   # 41
    "踩镲-闭音",       # 42
    "落地通鼓-高音",   # 43
    "踩镲-踏音",       # 44
    "通鼓-低音",       # 45
    "踩镲-开音",       # 46
    "通鼓-中低音",     # 47
    "通鼓-中高音",     # 48
    "碎音镲1",         # 49
    "通鼓-高音",       # 50
    "叮叮镲1",         # 51
    "中国铜钹",        # 52
    "叮叮镲-镲帽",     # 53
    "铃鼓",            # 54
    "溅音镲",          # 55
    "牛铃",            # 56
    "碎音镲2",         # 57
    "颤击器",          # 58
    "叮叮镲2",         # 59
    "邦戈鼓-高音",     # 60
    "邦戈鼓-低音",     # 61
    "康加鼓-闷音",     # 62
    "康加鼓-开音",     # 63
    "康加鼓-低音",     # 64
    "天巴鼓-高音",     # 65
    "天巴鼓-低音",     # 66
    "阿哥哥-高音",     # 67
    "阿哥哥-低音",     # 68
    "卡巴萨",          # 69
    "沙锤",            # 70
    "口哨-短音",       # 71
    "口哨-长音",       # 72
    "刮瓜-短音",       # 73
    "刮瓜-长音",       # 74
    "响棒",            # 75
    "木鱼-高音",       # 76
    "木鱼-低音",       # 77
    "库加鼓-闷音",     # 78
    "库加鼓-开音",     # 79
    "三角铃-闷音",     # 80
    "三角铃-开音",     # 81
]

# ------------------------------------------------- 401-433: key help
# The 33 note keys from lowest to highest: the key's character and its score name.
NOTE_KEYS = [
    ("6", "LC"), ("7", "LD"), ("8", "LE"), ("9", "LF"), ("0", "LG"), ("-", "LA"), ("=", "LB"),
    ("T", "WC"), ("Y", "WD"), ("U", "WE"), ("I", "WF"), ("O", "WG"), ("P", "WA"), ("[", "WB"),
    ("G", "KC"), ("H", "KD"), ("J", "KE"), ("K", "KF"), ("L", "KG"), (";", "KA"), ("'", "KB"),
    ("V", "HC"), ("B", "HD"), ("N", "HE"), ("M", "HF"), (",", "HG"), (".", "HA"), ("/", "HB"),
    ("1", "MC"), ("2", "MD"), ("3", "ME"), ("4", "MF"), ("5", "MG"),
]
REGISTER_WORDS = {"L": "最低音", "W": "低音", "K": "中音", "H": "高音", "M": "最高音"}
SYLLABLES = {"C": "哆", "D": "唻", "E": "咪", "F": "法", "G": "嗦", "A": "啦", "B": "希"}


def key_help(index):
    """Text of key help 401 + index: key, register and syllable, score name."""
    char, name = NOTE_KEYS[index]
    lead = "" if 401 + index in (401, 403) else " "
    return (lead + char + " 键" + CRLF
            + REGISTER_WORDS[name[0]] + "（" + SYLLABLES[name[1]] + "）" + CRLF
            + "乐谱中用 " + name + " 表示")


# ------------------------------------------------- 500-506: help topics
HELP_TOPICS = {
    500: """\
　　本软件把电脑键盘和鼠标变成一台电子琴。键盘上的33个音符键分为最低音、低音、中音、高音、最高音五个音区，按下一个键，三个旋律声部同时发出这个音，每个声部可以选用不同的乐器和音量，三种乐器叠在一起，音色丰满。
　　演奏的同时，弹过的音符和它们的长短自动记入乐谱框，可以保存为乐谱文件，以后让电子琴自动演奏，也可以调入音乐编辑窗口继续编配。
　　电子琴还带有自动节奏、自动和弦伴奏、和弦试听、录音机和放音机、特殊音效，以及可以保存的快捷键设置。
　　各个标签页分别调整旋律、和弦、节奏，查看帮助和设置快捷键；点击窗口的空白处可以切换成迷你窗口。""",
    501: """\
【音符键】
　数字键 6 7 8 9 0 - = ：最低音 哆唻咪法嗦啦希（LC～LB）
　字母键 T Y U I O P [ ：低音（WC～WB）
　字母键 G H J K L ; ' ：中音（KC～KB）
　字母键 V B N M , . / ：高音（HC～HB）
　数字键 1 2 3 4 5 ：最高音 哆唻咪法嗦（MC～MG）
　每按一个音符键，提示栏显示这个键的音区、唱名和乐谱写法。点击键盘分布图可以放大查看全部键位，再点击一次收回。
【功能键】
　A S D F Z X C：换成 C、D、E、F、G、A、bB 调
　Q W E R：和弦乐器换成电颤琴、合成人声、钢丝弦吉它、架子鼓
　F1～F12：切换三种旋律乐器的组合（在“设置”页修改）
　小键盘数字键：打击乐；小键盘 + 启动节奏，- 停止节奏
　Insert Home PageUp Delete End PageDown：播放特殊音效
　空格键：停止全部演奏；退格键：记入一个休止符 XZ
　Shift 键：切换“自动同步”
【鼠标演奏】
　在琴键上按住鼠标左键左右滑动即可演奏，把鼠标移到消音板上停止发声。
【抬手静音】
　在“设置”页勾选“抬手静音”后，手指离开按键声音即停止；不勾选时，声音一直延续到下一个音符。
【键盘演奏无声时】
　请把输入法切换为英语(美国)输入方式，再点击恢复键盘演奏的按钮；切换到别的窗口后回来，也请先点击一下电子琴窗口。""",
    502: """\
【自动演奏】
　“试听”按钮演奏乐谱框中的乐谱（小写字母自动改为大写），再按一次停止；“打开”按钮打开演奏记录文件夹中的乐谱文件并立即演奏；“保存”把乐谱框中的乐谱存为文本文件；“清空”清除乐谱框，开始新的演奏；“删除”删除最后一次打开或保存的文件。新建乐谱文件的按钮打开乐谱录入窗口，可以专门输入乐谱。
【乐谱格式】
　乐谱由音符名、时值和命令连续写成，中间不能有空格和换行，例如：KC8KDKEKF4KGKAKB
　音符名是两个大写字母：第一个字母是音区，L 最低音、W 低音、K 中音、H 高音、M 最高音；第二个字母是音名，C D E F G A B 即 哆唻咪法嗦啦希。M 音区只有 MC～MG。
　音符后面的一位或两位数字是时值，以八分之一拍为单位：8 为一拍，4 为半拍，16 为两拍，最长 99。不写数字时沿用前一个时值。
　XZ 为休止符，后面同样写时值；TZ 表示乐谱结束。
【命令】
　YD1～YD11：转调，1 为 C 调，2 为 bD 调，3 为 D 调……11 为 bB 调
　VS1～VS19：速度，1 为每分钟 40 拍，每加 1 快 5 拍，19 为 130 拍
　JP1～JP98：选用节奏文件列表中的第几个节奏并同步启动；JP99 关闭节奏同步
　YQ1～YQ12：选用 F1～F12 的乐器组合；YQ13 让三个旋律声部全部无声
　命令之后的第一个音符请一定写上时值，例如：VS7YD1KC8KE8KG16TZ""",
    503: """\
【节奏网格】
　节奏页有三条打击乐线，每条 16 格（3/4 拍时 12 格），每格半拍，红黄两色每两格为一拍。勾选一格，节奏走到这一步时就敲响这条线所选的打击乐器。
【乐器、音量和拍子】
　每条线前面的列表选择打击乐器，音量列表同时调整三条线的力度；2/4、3/4、4/4 选择拍子，3/4 拍时和弦模板每行相应缩短为 6 格。
【启动和同步】
　“启动”按钮试听节奏，再按一次停止；演奏中也可以用小键盘的 + 号启动、- 号停止。勾选“自动同步”后，键盘演奏或自动演奏一开始，节奏和和弦伴奏就一起启动，演奏中用 Shift 键切换。速度由速度列表（拍/分钟）或低速、中速、高速按钮决定。
【节奏文件】
　“保 存”把当前节奏存为节奏文件（*.bin，在演奏记录文件夹中）。鼠标移到节奏文件名上会显示节奏文件列表，点击一个文件即可调入；“删 除”删除列表中选中的节奏文件。软件启动时自动调入列表中的第一个节奏，乐谱中用 JP 加序号选用节奏。""",
    504: """\
【和弦声部】
　和弦伴奏有三个声部，各自选择乐器（选“0.无声”即不演奏），共用一个和弦音量。第一、二声部在每个和弦上演奏，第三声部只在一轮和弦顺序的最后一个和弦上演奏。Q W E R 键可以快速切换和弦乐器。
【伴奏模板】
　三个模板框各写一行，每行 8 格，每格两个字符，每格半拍，按 C 调主和弦（1 级）书写：
　LC LE LG WC WE WG KC KE KG HC HE HG：主和弦的单音
　CL CC CM：三种排列的整个和弦
　XZ：不发新音；--：保持
【和弦顺序】
　在“和弦顺序”框中输入 1～7 的级数，例如 1645，模板中的音自动移到各级和弦上。输入其他字符无效，会恢复原来的顺序。
【随机和保存】
　“生成随机节奏”从模板库中随机选取模板和一个常用的和弦顺序，勾选某行的“锁定音符”可以保留这一行。“保 存”把自己编写的模板加入模板库文件 HxJzMx.txt。
【和弦试听】
　“启 动”按钮把当前的和弦顺序完整试听一遍，再按一次停止。""",
    505: """\
【迷你窗口】
　用鼠标点击窗口中没有按钮的空白处，电子琴缩小为迷你窗口，只留下标签页、调整面板和录音机，可以放在屏幕的一角，一边看别的资料一边演奏；键盘演奏、节奏和自动演奏照常进行。
　再点击一次空白处恢复原来的大小。
　注意：只有电子琴窗口处于活动状态时，键盘才能演奏；切换到别的窗口后回来，请先点击一下电子琴窗口。""",
    506: """\
【录音】
　点击录音按钮开始录音（44100Hz、16 位、立体声），时间栏显示已录的时间；点击停止按钮停止。停止以后点击保存录音的按钮，把最后一次录音存为 wav 文件。
【放音】
　点击播放按钮，选择一个 wav 或 mp3 文件即开始播放，放完自动停止；点击停止按钮可以提前停止。录音时不能放音，放音时不能录音。
【声音设置】
　录音机录的是系统录音来源的声音。要录下电子琴本身的演奏，请在系统的声音设置中把录音来源选为输出的监听（立体声混音）。
　录音重放出现沙哑、杂音、失真时，请适当调低系统音量中各音源的音量；放音无声时，请检查系统音量和输出设备是否被静音。
【删除】
　乐谱框下的“删除”按钮可以删除最后一次打开的音频文件或保存的录音。""",
}

# ------------------------------------------------- 508: default settings file
PRESETS = [(3, 89, 0), (24, 44, 0), (74, 75, 0), (22, 44, 0), (81, 86, 25), (19, 44, 102),
           (50, 10, 55), (61, 67, 92), (45, 0, 0), (65, 79, 0), (108, 26, 55), (41, 10, 90)]
KEYPAD_DRUMS = [3, 1, 22, 17, 4, 23, 39, 17, 18, 25]
EFFECT_FILES = ["拍手1.wav", "雷声3.WAV", "锣2.wav", "民族笛子3.wav", "涨潮.wav", "钟声.wav "]


def default_settings():
    numbers = [v for row in PRESETS for v in row] + KEYPAD_DRUMS
    lines = [" %d " % v for v in numbers]
    lines[0] = lines[0].lstrip()  # the first line carries no leading blank
    lines += EFFECT_FILES + ["0"]
    return CRLF.join(lines) + CRLF


# ------------------------------------------------- 509: chord pattern library
PATTERNS = """
LC------LC------ LGWCWEWGLCKCKEKG WC------WC------ WC--WE--WG--WC-- WG--KC--KE--KG--
KG--KE--KC--WG-- WC--WG--KC--WG-- WE--WG--LC--WG-- XZMCHGHEHGHEHCKG LG--WCWE--WGLC--
LC--LCLE--LGLC-- WC--LGLELGLC---- LG--WC--LG--WC-- LG--WC--LE--LC-- CL------WG--WC--
CM------WG--WE-- WGKCKEKGKCKEKGHC LGWCLGWCLEWCLEWC LELCLGLCLELELCLC LGLELCLGLGLEWCLG
KCXZ----WCXZ---- WEXZ----KCKEKG-- KC--KGKEKC--KC-- CC------CL------ LC------LG------
LG------LC------ WCWEWGWEWGKCWGWE KC--KE--KG--KE-- KGHCKGKELCLELGLE LG--WC--LC--LE--
KCKEKGKEKGHCKGKE CC--LE--LG--LE-- CCWCLCLECCWEWGKC CC--KC--KE--KG-- CCLELGWCCCWCLGLE
WG--WE--KC--WG-- KE--KE--WG--WG-- LG--LG--WC--WC-- WE--LC--LG--WC-- LC------LG------
LE------LC------ CC--WG--KC--WG-- CCWGLCWGCCKGHCKG CCLEKGHCCLHCKGHC CCLGCLLGCCLGCLLG
WC--WE--WG--WC-- CC------CM------ CC--WE--WG--WC-- KC--KGKEKC--KC-- KE------WC--WG--
CC--LG--WC--WE-- CC--WC--WG--WE-- CL----------LG-- LGWEWCLGWGWCWEWC WC--LG--WE--WC--
CM------CM------ KC--KE--KG--KC-- CL--KE--CL--KC-- CM------CM------ KCWGKEKCCCWGKCWG
WE--WG--LC--WG-- CM------CM------ WG--KC--KG--KE-- CC------WG--KC-- KG------KE------
WG------LG------ WC------WC------ LG------LG------ CC------CM------ LG--WC--WG--WE--
CCWGKGKEKCWGKCKE WC------WE--WC-- WC------WG------ WC--XZ--WG--WC-- CCWGKCKECCKCKGKE
CC--WE--WG--KC-- CC--KC--WG--WE-- CC----WEWG------ CC----KCWG------ CC------CL--CL--
WG--KC--KG--KE-- CCWGKCKECCWGKCKE CC------CC------ KC--KE--KG--KC-- CC------WGKC----
CC--KC--WGWE---- CC--WG--KC--KE-- CC--KC--KE--KG-- KCXZCCKCKCXZCC-- KCKCKCCCHC--CCKG
WG--KC--KG--KE-- CC----KGKG--XZ-- CC--KG--WC--KG-- CC----KGKG--XZ-- CC--KG----KGKG--
CL----WG----WCWE CL------WGWE---- WG--KC--KG--WGWG KE--KG--KE--KC-- CC--WE--CC--KC--
CC--WE--CC--KC-- WG--KC--KG--KE-- KC--KE--KG--KC-- CCLGLCCCLGLCCCCC CC--CC--CC--CC--
LG--WE--WG--WC-- CC--KGKG--XZCC-- KGKG------KGKG-- CC------CC------ CM------CM------
CL------CL------ CCLELGLELGWCLGLE LGWCWEWCWGWELGWC
""".split()


def pattern_library():
    # Every pattern line ends in a line break; two empty lines follow.
    return "".join(p + CRLF for p in PATTERNS) + CRLF


# ------------------------------------------------- 510, 511: chord and degree tables
def triad(degree, register):
    """Root, third and fifth of the triad on scale degree 1..7, in register 0..3."""
    scale = [0, 2, 4, 5, 7, 9, 11]
    notes = []
    for step in (0, 2, 4):
        i = degree - 1 + step
        notes.append(12 * register + 12 * (i // 7) + scale[i % 7])
    return notes


# The voicings PlayChord sounds, per degree 1..7: group 1 (second inversion,
# fifth below), group 2 (root position one register up), group 3 (first
# inversion). Degree 7 takes the fifth of the dominant, G, in groups 2 and 3.
CHORD_VOICINGS = [
    # group 1       group 2       group 3
    ((7, 12, 16), (12, 16, 19), (16, 19, 24)),
    ((9, 14, 17), (14, 17, 21), (17, 21, 26)),
    ((11, 16, 19), (16, 19, 23), (19, 23, 28)),
    ((12, 17, 21), (17, 21, 24), (21, 24, 29)),
    ((14, 19, 23), (19, 23, 26), (23, 26, 31)),
    ((16, 21, 24), (21, 24, 28), (24, 28, 33)),
    ((17, 23, 26), (23, 26, 31), (26, 31, 35)),
]


def chord_table():
    # 63 numbers, group by group, degree by degree, separated by ",".
    numbers = [n for group in range(3) for degree in CHORD_VOICINGS for n in degree[group]]
    return ",".join(str(n) for n in numbers) + CRLF * 3


def degree_table():
    fields = []
    for d in range(1, 8):
        for register in range(4):
            fields += triad(d, register)
        fields += [64 + d, 71 + d, 78 + d, 254, 255]
    return CRLF * 2 + "".join("%d," % n for n in fields) + CRLF * 2


# ------------------------------------------------- the table
def build_table():
    table = {99: EDITOR_HELP}
    assert len(INSTRUMENTS) == 129 and len(PERCUSSION) == 47 and len(NOTE_KEYS) == 33
    for k, name in enumerate(INSTRUMENTS):
        table[201 + k] = "%d.%s" % (k, name)
    for k, name in enumerate(PERCUSSION):
        table[335 + k] = name
    for i in range(33):
        table[401 + i] = key_help(i)
    for topic, text in HELP_TOPICS.items():
        table[topic] = text.replace("\n", CRLF)
    table[508] = default_settings()
    table[509] = pattern_library()
    table[510] = chord_table()
    table[511] = degree_table()
    return table


HEADER = """\
The program's string table, written by tools/make_strings.py: change the texts
there and run it again. An entry starts with a line "@@@ <id>"; its text is
every line up to the next entry, joined with CR LF. Lines above the first
entry (these) are not part of the table.
"""


def encode(table):
    out = [HEADER]
    for key in sorted(table):
        out.append("@@@ %d\n" % key)
        for line in table[key].split(CRLF):
            if line.startswith("@@@ ") or "\n" in line:
                raise ValueError("text %d cannot be stored: %r" % (key, line))
            # The reader drops one CR before each LF: double a trailing CR.
            out.append(line + ("\r" if line.endswith("\r") else "") + "\n")
    return "".join(out)


def decode(data):
    """The reader's rules, to check that the file gives back every text."""
    table, key, lines = {}, None, []
    rows = data.split("\n")
    for i, row in enumerate(rows):
        if row.endswith("\r"):
            row = row[:-1]
        if row.startswith("@@@ "):
            if key is not None:
                table[key] = CRLF.join(lines)
            key, lines = int(row[4:]), []
            continue
        if i == len(rows) - 1 and row == "":
            break
        lines.append(row)
    if key is not None:
        table[key] = CRLF.join(lines)
    return table


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = os.path.join(root, "resources", "strings.txt")
    table = build_table()
    data = encode(table)
    if decode(data) != table:
        sys.exit("string table does not read back as written")
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(data)
    print("wrote %s: %d texts" % (path, len(table)))


if __name__ == "__main__":
    main()
