"""The efficacy development lists, read once for the tools in this folder.

Only these lists are read: never a block list the product ships.
"""
import os

EFFICACY = os.environ.get('VELMORA_EFFICACY', os.path.join(
    os.path.dirname(os.path.abspath(__file__)), '..', '..', 'shared', 'efficacy'))

YEARS = ('2019', '2020', '2021', '2022', '2023')


def _rows(name):
    with open(os.path.join(EFFICACY, name), encoding='utf-8') as f:
        return [line.rstrip('\n').split('\t') for line in f if line.strip()]


def load():
    """{'scam': [host], 'phish': [(host, year)], 'natural': [(host, source)], 'hard': [...]}"""
    legit = _rows('legit-dev.tsv')
    return {
        'scam': [r[0].strip().lower() for r in _rows('scam-shops-dev.txt')],
        'phish': [(r[0].lower(), r[1]) for r in _rows('phishing-dev.tsv')],
        'natural': [(r[0].lower(), r[1]) for r in legit if r[1] != 'kdroidwin-exclusion'],
        'hard': [(r[0].lower(), r[1]) for r in legit if r[1] == 'kdroidwin-exclusion'],
    }


def pct(n, d):
    return 100.0 * n / max(1, d)
