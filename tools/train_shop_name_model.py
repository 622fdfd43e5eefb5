#!/usr/bin/env python3
"""Trains the host name models and writes their weights as C++ tables.

    python3 tools/train_shop_name_model.py           # train, cross-validate, report, write the table
    python3 tools/train_shop_name_model.py --check   # regenerate, compare with the committed table
    python3 tools/train_shop_name_model.py --show-fp # also name every natural legitimate host flagged
    python3 tools/train_shop_name_model.py --parity  # C++ findings equal the script's on every list host

Pure Python 3 (no third-party modules), deterministic: the same lists give the
same src/safety/ShopNameModelWeights.inc byte for byte. It reads only the
efficacy development lists (../shared/efficacy, or $VELMORA_EFFICACY) and the
public suffix list (/usr/share/publicsuffix), never a block list the browser
ships. Takes some ten minutes on a busy two-core machine.

The model: logistic regression over the registrable label's shape (length,
digits, hyphens, vowels, runs, doubled letters) and its hashed character
bigrams and trigrams, plus the class of its public suffix. Positives are the
reported fake shops, negatives the natural legitimate hosts, each registrable
domain once, legitimate ones weighted by their host count (the caution share
is counted per host). The hard legitimate stratum (legitimate sites on abused
TLDs) stays out of training and is only reported.

A second model of the same features, randomLetters, takes the shopping-phishing
hosts as positives instead: names typed at random or machine-made ("xczcw",
"trewyhgjnbvcd"). Its report also fits it on the years before the last and
judges the last year's hosts, the stand-in for phishing still to come.

Each caution threshold is chosen by grouped 5-fold cross-validation: names that
differ only in digits, hyphens or shop words ("11momoshop", "momoshop-jp") and
registrable domains shared by several hosts fall in one fold, so that no near
duplicate of a held-out name is trained on. The threshold is the lowest
out-of-fold score that keeps natural legitimate hosts cautioned at or below
the model's budget; the final model, trained on everything, uses it.

ShopNameModel.cpp mirrors features() and the machine-generated host rules;
keep both sides in step.
"""
import argparse
import collections
import math
import os
import re
import shlex
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import devlists  # noqa: E402
import publicsuffix  # noqa: E402

OUTPUT = os.path.join(HERE, '..', 'src', 'safety', 'ShopNameModelWeights.inc')

BUCKET_BITS = 13          # hashed feature table of 8192 weights
WEIGHT_SCALE = 256        # weights stored as int16 in 1/256 units
FOLDS = 5
ITERATIONS = 150          # full-batch Adagrad steps
STEP = 0.5
L2 = 4.0                  # chosen by cross-validation among 0.25, 1, 4, 8, 16
CAUTION_BUDGET = 2.5      # % of natural legitimate hosts; the signal's share of the 5% caution budget
RANDOM_BUDGET = 2.0       # the same for the random-letters caution, out of fold
BLOCK_BUDGET = 0.1        # % of natural legitimate hosts a machine-generated block may cost

VOWELS = frozenset('aeiou')
# Dropped from a name to find its near duplicates for the grouped folds.
SHOP_WORDS = ('official', 'online', 'outlet', 'market', 'select', 'japan', 'store', 'shop', 'mall', 'sale',
              'jpn', 'buy', 'jp')
JAPANESE_SECOND_LEVEL = frozenset(('co', 'ne', 'or', 'ac', 'go', 'ed', 'lg', 'gr'))


# --- features: mirrored in ShopNameModel.cpp ------------------------------------------------

def fnv1a(text):
    h = 0x811c9dc5
    for byte in text.encode('ascii'):
        h = ((h ^ byte) * 0x01000193) & 0xffffffff
    return h


def suffix_class(suffix):
    """The suffix classes the model knows; None where it does not judge."""
    if '.' in suffix or suffix == 'jp':
        return None  # second-level and platform suffixes, and .jp's local-presence rule
    if suffix in ('com', 'net', 'org'):
        return suffix
    return 'cc' if len(suffix) == 2 else 'g'


def max_run(text, member):
    best = run = 0
    for c in text:
        run = run + 1 if member(c) else 0
        best = max(best, run)
    return best


def features(label, suffix, letters_only=False):
    """Feature names of a registrable label; repeated names count repeatedly. The random-letters
    model reads the letters alone: with the suffix class it learns that phishing favours the new
    generic TLDs, and would flag every ordinary name on them ("handmade.shop")."""
    f = [] if letters_only else ['s:' + suffix_class(suffix)]
    letters = [c for c in label if 'a' <= c <= 'z']
    digits = sum(c.isdigit() for c in label)
    f.append('l:%d' % min(len(label) // 2, 8))
    f.append('d:%d' % min(digits, 3))
    if label[0].isdigit():
        f.append('D')
    f.append('h:%d' % min(label.count('-'), 2))
    if letters:
        vowels = sum(c in VOWELS for c in letters)
        f.append('v:%d' % (10 * vowels // len(letters)))
        f.append('c:%d' % min(max_run(letters, lambda c: c not in VOWELS and c != 'y'), 5))
        f.append('w:%d' % min(max_run(letters, lambda c: c in VOWELS), 4))
        f.append('y:%d' % min(letters.count('y'), 3))
    core = label.replace('-', '')
    doubled = sum(1 for a, b in zip(core, core[1:]) if a == b and 'a' <= a <= 'z')
    f.append('b:%d' % min(doubled, 3))
    if len(core) > 1 and core[0] == core[1]:
        f.append('B0')
    if len(core) > 1 and core[-1] == core[-2]:
        f.append('B1')
    text = '^' + label + '$'
    f += ['2:' + text[i:i + 2] for i in range(len(text) - 1)]
    f += ['3:' + text[i:i + 3] for i in range(len(text) - 2)]
    return f


def indices(label, suffix, letters_only=False):
    mask = (1 << BUCKET_BITS) - 1
    return [fnv1a(name) & mask for name in features(label, suffix, letters_only)]


def judged(label, suffix):
    """Whether the model judges this registrable label at all."""
    # IP addresses (an all-digit last label) are judged elsewhere; punycode labels are not
    # text the character statistics know.
    return (bool(label) and label.isascii() and suffix_class(suffix) is not None and not suffix.isdigit()
            and not label.startswith('xn--'))


# --- machine-generated host rules: mirrored in ShopNameModel.cpp -----------------------------

def hash_like(label):
    """A hex digest as a label: 16+ hex digits mixing 3+ digits and 3+ letters."""
    if len(label) < 16 or any(c not in '0123456789abcdef' for c in label):
        return False
    digits = sum(c.isdigit() for c in label)
    return digits >= 3 and len(label) - digits >= 3


def embedded_japanese_suffix(subdomain_labels):
    """A Japanese second-level domain ("co.jp", or the look-alike "co.ip") inside the subdomain."""
    for a, b in zip(subdomain_labels, subdomain_labels[1:]):
        if a in JAPANESE_SECOND_LEVEL and b in ('jp', 'ip'):
            return True
    return False


def random_short_subdomain(subdomain_labels, label):
    """A per-victim id ("0h", "02p5", "k-1d4m": a digit with a letter after it) as the only
    subdomain of a short, vowel-poor, letters-only registrable label ("nusph", "ybaqm"); or a short
    subdomain over a label without a vowel at all ("2.gmwzt"), but for servers ("www", "img1") and
    content delivery hosts ("fbcdn")."""
    if len(subdomain_labels) != 1:
        return False
    sub = subdomain_labels[0]
    if not 1 <= len(sub) <= 8 or not re.fullmatch(r'[a-z0-9-]+', sub):
        return False
    if not 4 <= len(label) <= 7 or not all('a' <= c <= 'z' for c in label):
        return False
    vowels = sum(c in VOWELS for c in label)
    if re.fullmatch(r'[a-z0-9-]*[0-9][a-z0-9-]*[a-z][a-z0-9-]*', sub):
        return vowels <= 2
    numbered_server = sub[0].isalpha() and any(c.isdigit() for c in sub)
    return vowels == 0 and len(label) >= 5 and 'cdn' not in label and sub != 'www' and not numbered_server


# --- data ------------------------------------------------------------------------------------

class Host:
    __slots__ = ('host', 'list', 'tag', 'suffix', 'label', 'subdomain', 'fold')

    def __init__(self, host, kind, tag, psl):
        self.host, self.list, self.tag = host, kind, tag
        self.suffix = psl.public_suffix(host)
        registrable = psl.registrable_domain(host)
        self.label = registrable[:-len(self.suffix) - 1] if registrable else ''
        self.subdomain = host[:-len(registrable) - 1].split('.') if registrable and host != registrable else []


def near_duplicate_key(label):
    core = re.sub(r'[0-9-]', '', label)
    for word in SHOP_WORDS:
        core = core.replace(word, '')
    return core if len(core) >= 3 else label


def assign_folds(hosts):
    """Groups hosts sharing a registrable label or its near-duplicate key; folds by group."""
    parent = {}

    def find(x):
        while parent.setdefault(x, x) != x:
            parent[x] = parent[parent[x]]
            x = parent[x]
        return x

    for h in hosts:
        a, b = find(('label', h.label)), find(('key', near_duplicate_key(h.label)))
        if a != b:
            parent[max(a, b)] = min(a, b)
    members = collections.defaultdict(list)
    for h in hosts:
        members[find(('label', h.label))].append(h)
    for group in members.values():
        name = min(h.label for h in group)
        for h in group:
            h.fold = zlib.crc32(name.encode()) % FOLDS


# --- training --------------------------------------------------------------------------------

def train(examples):
    """examples: [(indices, label 0/1, weight)]. Full-batch Adagrad on the weighted log loss."""
    size = 1 << BUCKET_BITS
    counted = [sorted(collections.Counter(ix).items()) for ix, _, _ in examples]
    total = sum(w for _, _, w in examples)
    weights = [0.0] * size
    bias = 0.0
    square = [1e-8] * size
    square_bias = 1e-8
    for _ in range(ITERATIONS):
        gradient = [0.0] * size
        gradient_bias = 0.0
        for row, (_, y, w) in zip(counted, examples):
            z = bias + sum(weights[i] * n for i, n in row)
            p = 1.0 / (1.0 + math.exp(-z)) if z > -35.0 else 0.0
            e = (p - y) * w
            gradient_bias += e
            for i, n in row:
                gradient[i] += e * n
        for i in range(size):
            g = (gradient[i] + L2 * weights[i]) / total
            if g:
                square[i] += g * g
                weights[i] -= STEP * g / math.sqrt(square[i])
        g = gradient_bias / total
        square_bias += g * g
        bias -= STEP * g / math.sqrt(square_bias)
    quantised = [max(-32767, min(32767, int(round(w * WEIGHT_SCALE)))) for w in weights]
    return quantised, int(round(bias * WEIGHT_SCALE))


def score(model, h, letters_only=False):
    weights, bias = model
    return bias + sum(weights[i] for i in indices(h.label, h.suffix, letters_only))


def brand_keys():
    """The built-in brands' names as the browser matches them (their rows' third strings)."""
    with open(os.path.join(HERE, '..', 'src', 'safety', 'BuiltInBrands.cpp'), encoding='utf-8') as f:
        rows = re.findall(r'\{u"[^"]*", u"[^"]*", u"([^"]*)"', f.read())
    return sorted({key for row in rows for key in row.split()})


def training_examples(rows, positive='scam'):
    """One example per registrable domain; both classes carry the same total weight, and the
    mean weight is 1 so that L2 means the same whatever the number of examples. Positives are
    the hosts of list `positive`, negatives the natural legitimate ones."""
    letters_only = positive == 'phish'
    # A brand's name is the brand signal's to judge: the letters model learns from the rest.
    keys = brand_keys() if letters_only else []
    per_domain = collections.OrderedDict()
    for h in rows:
        if h.list != positive or not any(key in h.label for key in keys):
            per_domain.setdefault((h.label, h.suffix, h.list), []).append(h)
    positives = sum(1 for (_, _, kind) in per_domain if kind == positive)
    negatives = sum(len(v) for (_, _, kind), v in per_domain.items() if kind == 'natural')
    n = len(per_domain)
    examples = []
    for (label, suffix, kind), hosts in per_domain.items():
        if kind == positive:
            examples.append((indices(label, suffix, letters_only), 1, 0.5 * n / positives))
        else:
            examples.append((indices(label, suffix, letters_only), 0, 0.5 * n * len(hosts) / negatives))
    return examples


# --- measuring -------------------------------------------------------------------------------

def machine_generated(h):
    """The machine-generated host finding: the first rule that holds, or None."""
    if not h.label:
        return None  # a public suffix itself: nothing registered to judge
    labels = h.host.split('.')
    if any(hash_like(x) for x in labels):
        return 'hash-like label'
    # CDN and storage hosts named after a customer's domain ("www.example.co.jp.edgekey.net")
    # keep "jp" as their registrable label, so the pair is never inside their subdomain.
    if embedded_japanese_suffix(h.subdomain):
        return 'Japanese suffix inside'
    if '.' not in h.suffix and random_short_subdomain(h.subdomain, h.label):
        return 'id over a random name'
    return None


def shares(hosts, flagged):
    by = collections.defaultdict(lambda: [0, 0])
    for h in hosts:
        key = h.list if h.list != 'phish' else 'phish ' + h.tag
        by[key][0] += 1
        by[key][1] += bool(flagged(h))
        if h.list == 'phish':
            by['phish all'][0] += 1
            by['phish all'][1] += bool(flagged(h))
    return by


def print_shares(title, hosts, flagged):
    by = shares(hosts, flagged)
    order = ['scam', 'natural', 'hard'] + ['phish ' + y for y in devlists.YEARS] + ['phish all']
    print('  %-34s' % title + ' '.join('%s %5.1f%%' % (k.replace('phish ', ''), devlists.pct(by[k][1], by[k][0]))
                                      for k in order))


def load_hosts():
    psl = publicsuffix.PublicSuffixList()
    data = devlists.load()
    hosts = [Host(x, 'scam', '', psl) for x in data['scam']]
    hosts += [Host(x, 'natural', s, psl) for x, s in data['natural']]
    hosts += [Host(x, 'hard', s, psl) for x, s in data['hard']]
    hosts += [Host(x, 'phish', y, psl) for x, y in data['phish']]
    return hosts, psl


def read_table():
    """{model name: ((weights, bias), threshold)} and the random-with-made-up threshold committed."""
    with open(OUTPUT, encoding='ascii') as f:
        text = f.read()
    value = lambda name: int(re.search(r'constexpr int %s = (-?\d+);' % name, text).group(1))
    models = {}
    for name, (table, bias, threshold) in TABLE_NAMES.items():
        body = re.search(r'%s\[\d+\] = \{([^}]*)\}' % table, text).group(1)
        models[name] = (([int(x) for x in re.findall(r'-?\d+', body)], value(bias)), value(threshold))
    return models, value('randomWithMadeUpThreshold')


def parity():
    """Builds tools/shop_name_parity.cpp against the committed table and compares findings."""
    global BUCKET_BITS
    models, together = read_table()
    BUCKET_BITS = len(models['madeUpShopName'][0][0]).bit_length() - 1
    hosts, psl = load_hosts()
    root = os.path.join(HERE, '..')
    flags = subprocess.run(['pkg-config', '--cflags', '--libs', 'Qt6Core'], capture_output=True, text=True,
                           check=True).stdout
    with tempfile.TemporaryDirectory() as tmp:
        binary = os.path.join(tmp, 'parity')
        subprocess.run(['c++', '-std=c++20', '-O1', '-fPIC', '-I', os.path.join(root, 'src'),
                        os.path.join(HERE, 'shop_name_parity.cpp'),
                        os.path.join(root, 'src', 'safety', 'ShopNameModel.cpp'), '-o', binary]
                       + shlex.split(flags), check=True)
        lines = ''.join('%s\t%s\t%s\n' % (h.host, psl.registrable_domain(h.host), h.suffix) for h in hosts
                        if h.host.isascii() and '\t' not in h.host)
        answer = subprocess.run([binary], input=lines, capture_output=True, text=True, check=True).stdout.split()
    asked = [h for h in hosts if h.host.isascii() and '\t' not in h.host]
    wrong = 0
    for h, got in zip(asked, answer):
        # The C++ flags: 1 made-up shop name, 2 machine-generated host (alone), 4 random letters.
        expected = 0
        if machine_generated(h):
            expected = 2
        elif judged(h.label, h.suffix):
            (made_up, made_up_threshold), (random, random_threshold) = models.values()
            expected = int(score(made_up, h) >= made_up_threshold)
            letters = score(random, h, True)
            if letters >= (together if expected else random_threshold):
                expected += 4
        if int(got) != expected:
            wrong += 1
            if wrong <= 20:
                print('differs: %s script %d, C++ %s' % (h.host, expected, got))
    print('C++ and script agree on %d of %d hosts' % (len(asked) - wrong, len(asked)))
    return 0 if wrong == 0 and len(answer) == len(asked) else 1


def cross_validate(trainable, judged_hosts, positive):
    """Out-of-fold scores of every judged host, by grouped folds."""
    oof = {}
    for k in range(FOLDS):
        model = train(training_examples([h for h in trainable if h.fold != k], positive))
        for h in judged_hosts:
            if h.fold == k:
                oof[h] = score(model, h, positive == 'phish')
        print('  fold %d trained' % k, flush=True)
    return oof


def lowest_threshold(natural, oof, budget):
    """The lowest out-of-fold score that cautions at most budget % of natural hosts."""
    candidates = sorted({oof[h] for h in natural if h in oof}, reverse=True)
    if not candidates:
        return None
    threshold = candidates[0] + 1
    for t in candidates:
        if devlists.pct(sum(1 for h in natural if oof.get(h, t - 1) >= t), len(natural)) > budget:
            break
        threshold = t
    return threshold


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--check', action='store_true', help='compare with the committed table instead of writing')
    ap.add_argument('--show-fp', action='store_true', help='name every natural legitimate host flagged')
    ap.add_argument('--parity', action='store_true', help='compare the C++ findings with the script\'s')
    a = ap.parse_args()
    if a.parity:
        return parity()

    hosts, _ = load_hosts()
    assign_folds(hosts)
    judged_hosts = [h for h in hosts if judged(h.label, h.suffix)]
    natural = [h for h in hosts if h.list == 'natural']
    models, oofs = {}, {}
    for name, positive, budget in (('madeUpShopName', 'scam', CAUTION_BUDGET),
                                   ('randomLetters', 'phish', RANDOM_BUDGET)):
        trainable = [h for h in judged_hosts if h.list in (positive, 'natural')]
        print('\n%s: grouped %d-fold cross-validation over %d positive and %d natural legitimate hosts'
              % (name, FOLDS, sum(h.list == positive for h in trainable), sum(h.list == 'natural' for h in trainable)))
        oof = cross_validate(trainable, judged_hosts, positive)
        threshold = lowest_threshold(natural, oof, budget)
        model = train(training_examples(trainable, positive))
        final = {h: score(model, h, positive == 'phish') for h in judged_hosts}
        models[name] = (model, threshold)
        oofs[name] = oof
        print('%s (caution), threshold %d' % (name, threshold))
        print_shares('cross-validated (out of fold):', hosts, lambda h: oof.get(h, threshold - 1) >= threshold)
        print_shares('in-sample (final model):', hosts, lambda h: final.get(h, threshold - 1) >= threshold)
        if positive == 'phish':
            # The lists' later years stand in for the phishing to come: a model fitted on the
            # years before 2023 and cut at the same natural share, judged on 2023's hosts.
            early = [h for h in trainable if h.list == 'natural' or h.tag < devlists.YEARS[-1]]
            early_oof = cross_validate(early, [h for h in judged_hosts if h.list == 'natural'], positive)
            early_threshold = lowest_threshold(natural, early_oof, budget)
            early_model = train(training_examples(early, positive))
            late = [h for h in hosts if h.list == 'phish' and h.tag == devlists.YEARS[-1]]
            print('  fitted on phishing before %s: flags %.1f%% of its %d hosts'
                  % (devlists.YEARS[-1], devlists.pct(sum(1 for h in late if h in final and score(
                      early_model, h, True) >= early_threshold), len(late)), len(late)))
        for title, scores in (('out of fold', oof), ('in-sample', final)):
            fp = [h for h in natural if scores.get(h, threshold - 1) >= threshold]
            print('  natural legitimate hosts cautioned %s: %d' % (title, len(fp)))
            if a.show_fp:
                print('   ' + ' '.join(h.host for h in fp))

    # Both models read the same letters, so where the made-up model fires too, random letters
    # (and with them a block, as two cautions) count only beyond a higher score: the lowest that
    # keeps natural hosts flagged by both within the block budget, out of fold.
    (made_up, made_up_threshold), (random, random_threshold) = models.values()
    made_up_oof = oofs['madeUpShopName']
    both = {h: v for h, v in oofs['randomLetters'].items() if made_up_oof.get(h, made_up_threshold - 1) >= made_up_threshold}
    together = max(random_threshold, lowest_threshold(natural, both, BLOCK_BUDGET) or random_threshold)
    print('\nrandom letters beside a made-up shop name, threshold %d' % together)
    print_shares('in-sample (both final models):', hosts, lambda h: judged(h.label, h.suffix) and score(
        made_up, h) >= made_up_threshold and score(random, h, True) >= together)

    print('\nmachineGeneratedHost (block)')
    print('  (fixed rules, nothing fitted: the cross-validated and in-sample figures are the same)')
    print_shares('all rules:', hosts, machine_generated)
    for rule in ('hash-like label', 'Japanese suffix inside', 'id over a random name'):
        print_shares('  %s:' % rule, hosts, lambda h, r=rule: machine_generated(h) == r)
    print('  natural legitimate hosts blocked: ' + ' '.join(h.host for h in natural if machine_generated(h)))

    text = render(models, together)
    if a.check:
        with open(OUTPUT, encoding='ascii') as f:
            same = f.read() == text
        print('\n%s: %s' % (os.path.relpath(OUTPUT), 'identical' if same else 'DIFFERS'))
        return 0 if same else 1
    with open(OUTPUT, 'w', encoding='ascii', newline='\n') as f:
        f.write(text)
    print('\nwrote %s' % os.path.relpath(OUTPUT))
    return 0


# The C++ names of each model's table, bias and threshold.
TABLE_NAMES = {'madeUpShopName': ('weights', 'bias', 'cautionThreshold'),
               'randomLetters': ('randomWeights', 'randomBias', 'randomThreshold')}


def render(models, together):
    lines = [
        '// Generated by tools/train_shop_name_model.py from the efficacy development lists; do not edit.',
        '// Regenerate: python3 tools/train_shop_name_model.py',
        '// clang-format off',
        'constexpr int bucketBits = %d;' % BUCKET_BITS,
    ]
    for name, ((weights, bias), threshold) in models.items():
        table, bias_name, threshold_name = TABLE_NAMES[name]
        lines += ['constexpr int %s = %d;' % (bias_name, bias),
                  'constexpr int %s = %d;' % (threshold_name, threshold),
                  'constexpr std::int16_t %s[%d] = {' % (table, len(weights))]
        for i in range(0, len(weights), 16):
            lines.append('    ' + ', '.join(str(w) for w in weights[i:i + 16]) + ',')
        lines.append('};')
    lines += ['constexpr int randomWithMadeUpThreshold = %d;' % together, '// clang-format on', '']
    return '\n'.join(lines)

if __name__ == '__main__':
    sys.exit(main())
