#!/usr/bin/env python3
"""What each protection signal catches on the development lists.

    tools/signal_report.py build/src/cli/velmora-check [--lists ../shared/efficacy] [--show-fp N]

Runs velmora-check (first-start rules, a fresh settings folder) over every
host of the development lists and sorts the reasons it gives into signals.
Per signal and list it prints the share of hosts the signal fires on, and
the share where it is the only reason (what the list would lose without
it); then the combined blocked and cautioned shares, and the natural
legitimate hosts each signal blocks or cautions.
"""
import argparse
import collections
import json
import os
import re
import subprocess
import sys
import tempfile

# Reason texts to signals; the first pattern that matches names the signal.
SIGNALS = [
    ('unparsable address', r'^アドレスを正しく解析できない'),
    ('hyphen rule', r'^不審なハイフン連続使用ドメイン'),
    ('certified prefix', r'の正規ドメイン .* を先頭に付けて'),
    ('homograph', r'^見た目の似た別の文字で'),
    ('brand impersonation', r'を装った偽サイトの疑い$'),
    ('certified name (caution)', r'^認定ショップ「'),
    ('IP address', r'IPアドレスで直接開く'),
    ('dynamic DNS', r'ダイナミックDNS'),
    ('free hosting', r'無料ホスティング'),
    ('TLD (block)', r'^フィッシング・詐欺サイトで多発するTLD'),
    ('TLD (caution)', r'^詐欺サイトでの悪用が多いTLD'),
    ('machine-generated host', r'^自動生成された'),
    ('made-up shop name', r'^公認ショップではありません'),
    ('random letters', r'^でたらめな文字の並び'),
    ('sign-in words', r'^ログインやアカウント確認を装う語'),
    ('counterfeit name', r'^コピー品'),
    ('word-pair name', r'^英単語を2つ'),
    ('cautions together (block)', r'^注意すべき特徴が複数重なっています'),
    ('default patterns', r'.'),
]


def signal_of(reason):
    for name, pattern in SIGNALS:
        if re.search(pattern, reason):
            return name
    return 'other'


def judge(binary, hosts):
    config = tempfile.mkdtemp()
    env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=config, QT_QPA_PLATFORM='offscreen')
    results = []
    for i in range(0, len(hosts), 500):
        chunk = hosts[i:i + 500]
        run = subprocess.run([binary] + ['https://%s/' % h for h in chunk],
                             capture_output=True, text=True, env=env, timeout=300)
        lines = [json.loads(line) for line in run.stdout.splitlines() if line.strip()]
        if len(lines) != len(chunk):
            sys.exit('velmora-check answered %d lines for %d hosts' % (len(lines), len(chunk)))
        results += lines
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('binary')
    parser.add_argument('--lists', default=os.path.join(os.path.dirname(__file__), '..', '..',
                                                       'shared', 'efficacy'))
    parser.add_argument('--show-fp', type=int, default=20,
                        help='natural legitimate hosts to name per signal')
    args = parser.parse_args()

    def rows(name):
        with open(os.path.join(args.lists, name), encoding='utf-8') as f:
            return [line.rstrip('\n').split('\t') for line in f if line.strip()]

    legit = rows('legit-dev.tsv')
    lists = [
        ('fake shops', [r[0] for r in rows('scam-shops-dev.txt')]),
        ('phishing', [r[0] for r in rows('phishing-dev.tsv')]),
        ('phishing 2023', [r[0] for r in rows('phishing-dev.tsv') if r[1] == '2023']),
        ('natural legit', [r[0] for r in legit if r[1] != 'kdroidwin-exclusion']),
        ('hard legit', [r[0] for r in legit if r[1] == 'kdroidwin-exclusion']),
    ]

    fires = collections.defaultdict(dict)
    alone = collections.defaultdict(dict)
    combined = {}
    natural_hits = collections.defaultdict(list)
    for list_name, hosts in lists:
        results = judge(args.binary, hosts)
        fired = collections.Counter()
        only = collections.Counter()
        verdicts = collections.Counter()
        for host, result in zip(hosts, results):
            verdict = result.get('verdict', 'error')
            verdicts[verdict] += 1
            signals = {signal_of(r) for r in result.get('reasons', [])}
            for signal in signals:
                fired[signal] += 1
                if list_name == 'natural legit':
                    natural_hits[signal].append('%s (%s)' % (host, verdict))
            if len(signals) == 1:
                only[next(iter(signals))] += 1
        total = max(1, len(hosts))
        for signal in fired:
            fires[signal][list_name] = 100.0 * fired[signal] / total
            alone[signal][list_name] = 100.0 * only[signal] / total
        combined[list_name] = (len(hosts), 100.0 * verdicts['suspicious'] / total,
                               100.0 * verdicts['caution'] / total)

    names = [n for n, _ in lists]
    print('share of each list a signal fires on, in % (in brackets: where it is the only reason)')
    print('%-24s' % 'signal' + ''.join('%20s' % n for n in names))
    for signal, _ in SIGNALS + [('other', None)]:
        if signal not in fires:
            continue
        cells = ''.join('%20s' % ('%.1f (%.1f)' % (fires[signal].get(n, 0.0),
                                                    alone[signal].get(n, 0.0))) for n in names)
        print('%-24s' % signal + cells)
    print()
    print('%-24s' % 'combined' + ''.join('%20s' % n for n in names))
    print('%-24s' % 'hosts' + ''.join('%20d' % combined[n][0] for n in names))
    print('%-24s' % 'blocked %' + ''.join('%20.1f' % combined[n][1] for n in names))
    print('%-24s' % 'cautioned %' + ''.join('%20.1f' % combined[n][2] for n in names))
    print()
    print('natural legitimate hosts each signal fires on:')
    for signal, hosts in natural_hits.items():
        shown = hosts[:args.show_fp]
        more = len(hosts) - len(shown)
        print('  %s (%d): %s%s' % (signal, len(hosts), ', '.join(shown),
                                   ' and %d more' % more if more > 0 else ''))


if __name__ == '__main__':
    main()
