"""The public suffix list for the tools in this folder, in pure Python.

Answers as libpsl does for the browser (PSL_TYPE_ANY: ICANN and private
sections, the implicit "*" rule), so that what the scripts measure is what
the C++ side sees.
"""
DEFAULT_PATH = '/usr/share/publicsuffix/public_suffix_list.dat'


def _ace(label):
    try:
        return label.encode('idna').decode('ascii')
    except UnicodeError:
        return label


class PublicSuffixList:
    def __init__(self, path=DEFAULT_PATH):
        self.rules = {}  # rule text (ASCII) -> 'icann' | 'private'
        section = 'icann'
        with open(path, encoding='utf-8') as f:
            for raw in f:
                line = raw.strip()
                if line.startswith('// ===BEGIN PRIVATE'):
                    section = 'private'
                if not line or line.startswith('//'):
                    continue
                rule = '.'.join(x if x == '*' or x.startswith('!') else _ace(x)
                                for x in line.split()[0].lower().split('.'))
                self.rules[rule] = section

    def suffix_rule(self, host):
        """(public suffix, section, matching rule) of host."""
        labels = host.split('.')
        best = None
        for i in range(len(labels)):
            cand = '.'.join(labels[i:])
            if ('!' + cand) in self.rules:
                return '.'.join(labels[i + 1:]), self.rules['!' + cand], '!' + cand
            if cand in self.rules:
                best = (cand, self.rules[cand], cand)
                break
            wild = '*.' + '.'.join(labels[i + 1:]) if i + 1 < len(labels) else None
            if wild and wild in self.rules:
                best = (cand, self.rules[wild], wild)
                break
        if best is None:
            return labels[-1], None, '*'
        return best

    def public_suffix(self, host):
        return self.suffix_rule(host)[0]

    def registrable_domain(self, host):
        suffix = self.public_suffix(host)
        if host == suffix:
            return ''
        head = host[:-len(suffix) - 1]
        return head.rsplit('.', 1)[-1] + '.' + suffix
