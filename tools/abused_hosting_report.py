#!/usr/bin/env python3
"""What each abused-hosting entry costs and gains on the development lists.

    python3 tools/abused_hosting_report.py [--entries]

Reads the table in src/safety/AbusedHosting.cpp (its rows and the comment
heading each service's group) and matches it as the C++ does: a host strictly
below a listed suffix, the longest listed suffix winning. Prints, per group,
the hosts matched on each list (phishing by year, fake shops, natural and hard
legitimate) and the legitimate hosts by name; --entries adds a line per entry.

The rule the table's block flags follow: a group with 20 or more abused hosts
(phishing or fake shops) below its names blocks, except an entry with a
natural legitimate host below it, which cautions; every other group cautions.
The script checks the committed flags against that rule, and estimates by
grouped 5-fold cross-validation (hosts grouped by the name registered below the
listed suffix) what the rule gives on hosts it was not decided on.
"""
import argparse
import collections
import os
import re
import sys
import zlib

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import devlists  # noqa: E402

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


MIN_ABUSED = 20
FOLDS = 5


def decide(rows, counted):
    """Block flag per suffix by the rule, from counted[suffix] = {'bad': n, 'natural': n}."""
    groups = collections.defaultdict(list)
    for heading, suffix, _, _ in rows:
        groups[heading].append(suffix)
    flags = {}
    for members in groups.values():
        abused = sum(counted[x]['bad'] for x in members)
        for x in members:
            flags[x] = abused >= MIN_ABUSED and counted[x]['natural'] == 0
    return flags


def registered_name(host, suffix):
    """The name registered right below the listed suffix: the cross-validation group."""
    head = host[:-len(suffix) - 1]
    return head.rsplit('.', 1)[-1] + '.' + suffix


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

    matched = []  # (list, tag, host, suffix)
    for name, hosts in lists:
        for host, tag in hosts:
            row = match(host)
            if row:
                matched.append((name, tag, host, row[1]))

    def count(items):
        c = collections.defaultdict(lambda: {'bad': 0, 'natural': 0})
        for name, _, _, suffix in items:
            if name in ('phish', 'scam'):
                c[suffix]['bad'] += 1
            elif name == 'natural':
                c[suffix]['natural'] += 1
        return c

    print()
    ruled = decide(rows, count(matched))
    wrong = [(suffix, block) for _, suffix, _, block in rows if ruled[suffix] != block]
    print('table flags against the rule: %s' % (
        'all %d follow it' % len(rows) if not wrong else
        ', '.join('%s is %s, the rule says %s' % (x, 'block' if b else 'caution', 'caution' if b else 'block')
                  for x, b in wrong)))

    fold_of = lambda host, suffix: zlib.crc32(registered_name(host, suffix).encode()) % FOLDS
    outcome = {}  # host -> 'block' | 'caution', decided without the host's fold
    for k in range(FOLDS):
        flags = decide(rows, count([m for m in matched if fold_of(m[2], m[3]) != k]))
        for name, tag, host, suffix in matched:
            if fold_of(host, suffix) == k:
                outcome[(name, host)] = 'block' if flags[suffix] else 'caution'

    print()
    print('%-10s %8s %10s %10s %12s %12s' % ('list', 'hosts', 'blocked%', 'caution%', 'cv blocked%', 'cv caution%'))
    for name, hosts in [('phish ' + y, [(h, t) for h, t in data['phish'] if t == y]) for y in devlists.YEARS] + lists:
        blocked = cautioned = cv_blocked = cv_cautioned = 0
        kind = name.split()[0]
        for host, _ in hosts:
            row = match(host)
            if row:
                blocked += row[3]
                cautioned += not row[3]
                cv_blocked += outcome[(kind, host)] == 'block'
                cv_cautioned += outcome[(kind, host)] == 'caution'
        print('%-10s %8d %10.2f %10.2f %12.2f %12.2f' % (
            name, len(hosts), devlists.pct(blocked, len(hosts)), devlists.pct(cautioned, len(hosts)),
            devlists.pct(cv_blocked, len(hosts)), devlists.pct(cv_cautioned, len(hosts))))


if __name__ == '__main__':
    main()
