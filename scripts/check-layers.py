#!/usr/bin/env python3
"""Fails when a source file includes a header its layer must not see.

    scripts/check-layers.py [--root DIR]     check DIR/src (default: the repository)
    scripts/check-layers.py --self-test      show that a forbidden include is caught

The build already hides project headers a target does not link, but every Qt
target puts the Qt include root on the path, so <QtWidgets/QWidget> would
compile in a model. This check closes that gap: each folder of src/ may use
the project folders and the Qt modules listed below, nothing else.
"""
import argparse
import os
import re
import shutil
import sys
import tempfile

MODELS_QT = {'QtCore'}
# folder: (project folders it may include, Qt modules it may include, other headers)
LAYERS = {
    'prefs': ({'prefs'}, MODELS_QT, set()),
    'address': ({'address'}, MODELS_QT, {'libpsl.h'}),
    # Subscribed block lists join the rule snapshot beside the user's own rules.
    'rules': ({'rules', 'prefs', 'address', 'blocklist'}, MODELS_QT, set()),
    'blocklist': ({'blocklist', 'address'}, MODELS_QT, set()),
    'safety': ({'safety', 'rules', 'prefs', 'address', 'blocklist'}, MODELS_QT, set()),
    'subscriptions': ({'subscriptions', 'blocklist', 'rules', 'prefs', 'address'},
                      MODELS_QT | {'QtNetwork'}, set()),
    'bookmarks': ({'bookmarks', 'prefs'}, MODELS_QT, set()),
    'theme': ({'theme', 'prefs'}, MODELS_QT, set()),
    'history': ({'history', 'prefs'}, MODELS_QT | {'QtSql'}, set()),
    'downloads': ({'downloads'}, MODELS_QT, set()),
    'zoom': ({'zoom', 'prefs'}, MODELS_QT, set()),
    'cli': ({'cli', 'safety', 'rules', 'prefs', 'address', 'blocklist', 'subscriptions'},
            MODELS_QT, set()),
    'browser': ({'browser', 'safety', 'rules', 'prefs', 'address', 'blocklist', 'subscriptions',
                 'history', 'bookmarks', 'downloads', 'zoom'},
                MODELS_QT | {'QtGui', 'QtNetwork', 'QtWebEngineCore'}, set()),
}
# Views, the window and the application may use every Qt module and every
# folder below them, but nothing above.
TOP = {'views': {'window', 'app'}, 'window': {'app'}, 'app': set()}

QT_ROOTS = ['/usr/include/x86_64-linux-gnu/qt6', '/usr/include/qt6']
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def qt_module(header, cache={}):
    """The Qt module a header belongs to, or None for a non-Qt header."""
    if '/' in header:
        first = header.split('/', 1)[0]
        return first if first.startswith('Qt') else None
    if header not in cache:
        cache[header] = None
        if header.startswith('Q'):
            for root in QT_ROOTS:
                if not os.path.isdir(root):
                    continue
                for module in sorted(os.listdir(root)):
                    if os.path.isfile(os.path.join(root, module, header)):
                        cache[header] = module
                        break
                if cache[header]:
                    break
    return cache[header]


def check(src):
    problems = []
    folders = sorted(d for d in os.listdir(src) if os.path.isdir(os.path.join(src, d)))
    for folder in folders:
        if folder in TOP:
            project, qt, other = None, None, set()
        elif folder not in LAYERS:
            problems.append('%s: folder has no layer rule in scripts/check-layers.py' % folder)
            continue
        else:
            project, qt, other = LAYERS[folder]
        for dirpath, _, files in os.walk(os.path.join(src, folder)):
            for name in sorted(files):
                if not name.endswith(('.h', '.cpp', '.inc')):
                    continue
                path = os.path.join(dirpath, name)
                text = open(path, encoding='utf-8').read()
                for kind, header in INCLUDE.findall(text):
                    head = header.split('/', 1)[0]
                    if kind == '"':
                        above = TOP.get(folder, set())
                        if '/' in header and (head in above if project is None
                                              else head not in project):
                            problems.append('%s: includes "%s" (%s may not see %s)'
                                            % (os.path.relpath(path, src), header, folder, head))
                        continue
                    module = qt_module(header)
                    if module and qt is not None and module not in qt:
                        problems.append('%s: includes <%s> from %s (%s may use %s only)'
                                        % (os.path.relpath(path, src), header, module, folder,
                                           ', '.join(sorted(qt))))
                    elif not module and header in {h for l in LAYERS.values() for h in l[2]} \
                            and header not in other:
                        problems.append('%s: includes <%s>' % (os.path.relpath(path, src), header))
    return problems


def self_test():
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, 'src')
        os.makedirs(os.path.join(src, 'safety'))
        os.makedirs(os.path.join(src, 'views'))
        os.makedirs(os.path.join(src, 'window'))
        open(os.path.join(src, 'window', 'w.h'), 'w').write('#include "views/V.h"\n')
        bad = {'a.h': '#include <QtWidgets/QWidget>\n', 'b.h': '#include <QWidget>\n',
               'c.h': '#include "views/X.h"\n', 'd.h': '#include <QWebEnginePage>\n'}
        for name, text in bad.items():
            open(os.path.join(src, 'safety', name), 'w').write(text)
        open(os.path.join(src, 'safety', 'ok.h'), 'w').write(
            '#include <QString>\n#include "rules/TrustedShop.h"\n#include <optional>\n')
        open(os.path.join(src, 'views', 'v.h'), 'w').write('#include <QWidget>\n')
        open(os.path.join(src, 'views', 'up.h'), 'w').write('#include "window/ContentView.h"\n')
        problems = check(src)
        caught = {p.split(':', 1)[0] for p in problems}
        expected = {os.path.join('safety', n) for n in bad} | {os.path.join('views', 'up.h')}
        if caught != expected:
            print('self-test failed: caught %s, expected %s' % (sorted(caught), sorted(expected)))
            return 1
    print('self-test passed: every forbidden include was caught, nothing else')
    return 0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--root', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'))
    ap.add_argument('--self-test', action='store_true')
    a = ap.parse_args()
    if a.self_test:
        return self_test()
    problems = check(os.path.join(a.root, 'src'))
    for p in problems:
        print(p)
    if problems:
        print('%d forbidden include(s)' % len(problems))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
