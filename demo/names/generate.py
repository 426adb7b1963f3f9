#!/usr/bin/env python3
# Writes the name-entry pickers' character lists (kana.txt, keys.txt, readings.txt,
# strokes.txt beside this script) from the charset and KANJIDIC (Debian package kanjidic).
# Run by hand when the charset changes; the outputs are committed and the build only reads them.
#   demo/names/generate.py [KANJIDIC]     (default /usr/share/edict/kanjidic, EUC-JP)
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CHARSET = os.path.join(HERE, '..', 'charset')
KANJIDIC = sys.argv[1] if len(sys.argv) > 1 else '/usr/share/edict/kanjidic'
GAP = '.'

# Cells of each stroke-count set, for 1 to 24 strokes; the picker pages them 160 at a time.
STROKE_SET_SIZES = [20, 20, 40, 80, 120, 140, 180, 240, 240, 260, 260, 260,
                    200, 160, 140, 100, 60, 60, 40, 20, 20, 20, 20, 20]

# The reading keys: the kana table in five-cell groups, gaps where a row has no kana.
KEY_ROWS = ['あいうえお', 'かきくけこ', 'さしすせそ', 'たちつてと', 'なにぬねの',
            'はひふへほ', 'まみむめも', 'や.ゆ.よ', 'らりるれろ', 'わ.を.ん']

HIRAGANA_ROWS = [
    'あいうえおかきくけこさしすせそたちつてと',
    'なにぬねのはひふへほまみむめもらりるれろ',
    'がぎぐげござじずぜぞだぢづでどばびぶべぼ',
    'ぱぴぷぺぽやゆよわをんぁぃぅぇぉっゃゅょ',
]


def katakana(text):
    return ''.join(chr(ord(c) + 0x60) if 'ぁ' <= c <= 'ん' else c for c in text)


# The kana table: 18 rows of 20 (three pages of up to 8 rows).
KANA_ROWS = HIRAGANA_ROWS + [katakana(r) for r in HIRAGANA_ROWS] + [
    'ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴ',
    'ＵＶＷＸＹＺ....０１２３４５６７８９',
    'ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔ',
    'ｕｖｗｘｙｚ....ヴヵヶゎヮーゝゞヽヾ',
    '々〃〆・、。！？＆＠＃＊＋－＝＄％☆★♪',
    '○●◎◇◆□■△▲▽▼※〒→←↑↓♂♀〜',
    '（）「」『』【】〈〉《》“”‘’：；…　',
    'ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥ',
    'ΦΧΨΩαβγδεζηθικλμνξοπ',
    'ρστυφχψω............',
]


def read_charset():
    chars = set()
    for line in open(CHARSET, encoding='utf-8'):
        # Blanks are ASCII only: U+3000 is a character of the table.
        fields = [f for f in re.split(r'[ \t]+', re.sub(r'(^|[ \t])#.*', '', line.rstrip('\r\n'))) if f]
        if len(fields) >= 2:
            chars.update(f for f in fields[1:] if len(f) == 1)
    return chars


def hiragana(text):
    return ''.join(chr(ord(c) - 0x60) if 'ァ' <= c <= 'ン' else c for c in text)


def key_of(reading):
    # First kana of a reading, voicing dropped (が → か, ぱ → は), as a reading key.
    reading = hiragana(reading.strip('-.'))
    if not reading:
        return None
    first = reading[0]
    plain = {'が': 'か', 'ぎ': 'き', 'ぐ': 'く', 'げ': 'け', 'ご': 'こ', 'ざ': 'さ', 'じ': 'し',
             'ず': 'す', 'ぜ': 'せ', 'ぞ': 'そ', 'だ': 'た', 'ぢ': 'ち', 'づ': 'つ', 'で': 'て',
             'ど': 'と', 'ば': 'は', 'び': 'ひ', 'ぶ': 'ふ', 'べ': 'へ', 'ぼ': 'ほ', 'ぱ': 'は',
             'ぴ': 'ひ', 'ぷ': 'ふ', 'ぺ': 'へ', 'ぽ': 'ほ', 'ゔ': 'う'}.get(first, first)
    return plain if 'あ' <= plain <= 'ん' else None


def read_kanjidic(charset):
    entries = []
    with open(KANJIDIC, encoding='euc_jp') as source:
        for line in source:
            if line.startswith('#'):
                continue
            fields = line.split()
            char, jis = fields[0], int(fields[1], 16)
            if char not in charset:
                continue
            strokes = grade = freq = None
            on, kun = [], []
            for f in fields[2:]:
                if f.startswith('{') or f in ('T1', 'T2'):
                    break  # meanings, name readings and radical names follow
                if strokes is None and re.fullmatch(r'S\d+', f):
                    strokes = int(f[1:])
                elif re.fullmatch(r'G\d+', f):
                    grade = int(f[1:])
                elif re.fullmatch(r'F\d+', f):
                    freq = int(f[1:])
                elif re.fullmatch(r'[-.ァ-ヶー]+', f):
                    on.append(f)
                elif re.fullmatch(r'[-.ぁ-んー]+', f):
                    kun.append(f)
            entries.append(dict(char=char, jis=jis, strokes=strokes, grade=grade, freq=freq,
                                on=on, kun=kun))
    return entries


def priority(entry):
    # School and general-use kanji first, then those for personal names, then the rest; common
    # ones first within each, then dictionary (JIS) order.
    grade = entry['grade']
    tier = 0 if grade is not None and grade <= 8 else 1 if grade == 9 else 2 if grade else 3
    return (tier, entry['freq'] or 9999, entry['jis'])


def main():
    charset = read_charset()
    for row in KANA_ROWS:
        assert len(row) == 20, row
        for c in row:
            assert c == GAP or c in charset, c
    entries = read_kanjidic(charset)

    sets = []
    for strokes, size in enumerate(STROKE_SET_SIZES, start=1):
        chosen = sorted((e for e in entries if e['strokes'] == strokes), key=priority)[:size]
        chosen.sort(key=lambda e: e['jis'])
        sets.append(chosen)
    picked = [e for s in sets for e in s]

    keys = [k for row in KEY_ROWS for k in row]
    lists = {k: [] for k in keys if k != GAP}
    for entry in sorted(picked, key=lambda e: e['jis']):
        seen = set()
        # Listed under the first kana of its first on reading and of its first kun reading, so
        # that 岡 is found both under こ (コウ) and under お (おか).
        for reading in entry['on'][:1] + entry['kun'][:1]:
            key = key_of(reading)
            if key and key in lists and key not in seen:
                seen.add(key)
                lists[key].append(entry['char'])
    missing = [e['char'] for e in picked if not any(e['char'] in l for l in lists.values())]
    assert not missing, missing

    header = ('# Generated by generate.py from the charset and KANJIDIC (EDRDG, CC BY-SA 4.0);\n'
              '# edit the script, not this file. "." is an empty cell.\n')
    with open(os.path.join(HERE, 'kana.txt'), 'w', encoding='utf-8') as out:
        out.write(header + '# Kana table: 18 rows of 20 cells, 8 rows per page.\n')
        out.writelines(row + '\n' for row in KANA_ROWS)
    with open(os.path.join(HERE, 'keys.txt'), 'w', encoding='utf-8') as out:
        out.write(header + '# Reading keys: 3 rows of 20 cells; key k opens reading list k.\n')
        flat = ''.join(keys) + GAP * 10
        out.writelines(flat[i:i + 20] + '\n' for i in range(0, 60, 20))
    with open(os.path.join(HERE, 'readings.txt'), 'w', encoding='utf-8') as out:
        out.write(header + '# Reading lists: one line per key, the key, a blank, its kanji.\n')
        for key in keys:
            out.write(key + (' ' + ''.join(lists[key]) if key != GAP and lists[key] else '') + '\n')
    with open(os.path.join(HERE, 'strokes.txt'), 'w', encoding='utf-8') as out:
        out.write(header + '# Stroke-count sets: one line per count, the count, a blank, its cells.\n')
        for strokes, (size, chosen) in enumerate(zip(STROKE_SET_SIZES, sets), start=1):
            cells = ''.join(e['char'] for e in chosen)
            out.write('%d %s\n' % (strokes, cells + GAP * (size - len(chosen))))


main()
