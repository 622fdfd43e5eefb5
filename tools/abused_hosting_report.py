#!/usr/bin/env python3
"""What each abused-hosting entry costs and gains on the development lists.

    python3 tools/abused_hosting_report.py [--entries]

Reads the table in src/safety/AbusedHosting.cpp (its rows and the comment
heading each provider group) and matches it as the C++ does: a host strictly
below a listed suffix, the longest listed suffix winning. Prints, per group,
the hosts matched on each list (phishing by year, fake shops, natural and hard
legitimate) and the legitimate hosts by name; --entries adds a line per entry.
The block rule the table follows: a group abused by 20 hosts or more with no
natural legitimate host below it blocks, anything else cautions.
"""
import argparse
import collections
import os
import re

import devlists

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE = os.path.join(HERE, '..', 'src', 'safety', 'AbusedHosting.cpp')
ROW = re.compile(r'\{u"([a-z0-9.-]+)", (dynamicDns|freeHosting), (block|caution)\}')


def read_table(path=TABLE):
    """[(group heading, suffix, kind, block)] in table order."""
    rows, heading, in_comment = [], '', False
    with open(path, encoding='utf-8') as f:
        for line in f:
            text = line.strip()
            if text.startswith('// ') and not text.startswith('// clang-format'):
                heading = (heading + ' ' + text[3:]) if in_comment else text[3:]
                in_comment = True
                continue
            in_comment = False
            for suffix, kind, flag in ROW.findall(text):
                rows.append((heading, suffix, kind, flag == 'block'))
    return rows


def matcher(rows):
    by_suffix = {r[1]: r for r in rows}

    def match(host):
        labels = host.split('.')
        for i in range(1, len(labels)):
            if not labels[i - 1]:
                continue
            row = by_suffix.get('.'.join(labels[i:]))
            if row:
                return row
        return None
    return match


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--entries', action='store_true', help='a line per entry too')
    a = ap.parse_args()
    rows = read_table()
    match = matcher(rows)
    data = devlists.load()
    lists = [('phish', [(h, y) for h, y in data['phish']]), ('scam', [(h, '') for h in data['scam']]),
             ('natural', data['natural']), ('hard', data['hard'])]
    hits = collections.defaultdict(lambda: collections.defaultdict(list))  # suffix -> list -> [(host, tag)]
    for name, hosts in lists:
        for host, tag in hosts:
            row = match(host)
            if row:
                hits[row[1]][name].append((host, tag))

    groups = collections.OrderedDict()
    for row in rows:
        groups.setdefault(row[0], []).append(row)
    print('%-58s %5s %5s %s' % ('group (entries, decision)', 'fake', 'nat', 'phishing by year 2019..2023, hard'))
    total = collections.Counter()
    for heading, members in groups.items():
        c = collections.defaultdict(list)
        for _, suffix, _, _ in members:
            for name, found in hits[suffix].items():
                c[name] += found
        years = collections.Counter(tag for _, tag in c['phish'])
        flags = sorted({'block' if m[3] else 'caution' for m in members})
        print('%-58s %5d %5d %s  hard %d' % (
            '%s (%d, %s)' % (heading[:40], len(members), '/'.join(flags)), len(c['scam']), len(c['natural']),
            ' '.join('%5d' % years[y] for y in devlists.YEARS), len(c['hard'])))
        for host, source in c['natural'] + c['hard']:
            print('      legitimate: %s (%s)' % (host, source))
        if a.entries:
            for _, suffix, _, block in members:
                h = hits[suffix]
                if any(h.values()):
                    y = collections.Counter(tag for _, tag in h['phish'])
                    print('    %-30s %-7s phish %s nat %d hard %d' % (
                        suffix, 'block' if block else 'caution', dict(sorted(y.items())), len(h['natural']),
                        len(h['hard'])))

    print()
    print('%-10s %8s %10s %10s' % ('list', 'hosts', 'blocked%', 'caution%'))
    for name, hosts in [('phish ' + y, [(h, t) for h, t in data['phish'] if t == y]) for y in devlists.YEARS] + lists:
        blocked = cautioned = 0
        for host, _ in hosts:
            row = match(host)
            if row:
                blocked += row[3]
                cautioned += not row[3]
        print('%-10s %8d %10.2f %10.2f' % (name, len(hosts), devlists.pct(blocked, len(hosts)),
                                          devlists.pct(cautioned, len(hosts))))


if __name__ == '__main__':
    main()
