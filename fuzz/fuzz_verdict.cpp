// Addresses come from pages, links and the user's typing: any text must be
// judged without a crash, a hang or a leak, with and without a subscribed
// list, and screening must fail closed whatever the text: an address that
// would load content is judged on a host, or blocked because it has none
// that can be read, never let through as having no host at all.
#include "address/LoadTarget.h"
#include "blocklist/BlockList.h"
#include "rules/DefaultRules.h"
#include "rules/RuleSet.h"
#include "safety/SafeBrowsingEngine.h"

#include <QUrl>
#include <QUuid>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

const RuleSet &ownRules()
{
    static const RuleSet rules(defaultTrustedShops(), defaultExcludedPatterns());
    return rules;
}

// Every kind of rule a list has: hosts, a path, an unblock, an expression.
const RuleSet &withList()
{
    static const RuleSet rules = ownRules().withSubscribedLists(
        {{QUuid(), u"fuzz"_s,
          BlockList::parse("*://*.example.top/*\n@*://ok.example.top/*\n"
                           "*://shop.example.com/item/*\n"
                           "/^https?:\\/\\/[^/]+\\/.*(URL|LINK)=.*\\//i\n")}});
    return rules;
}

void judge(const SafeBrowsingEngine &engine, const LoadTarget &target, const QUrl &url,
           const RuleSet &rules)
{
    const SafetyLevel level = engine.evaluateSafety(target, url, rules);
    const bool hostless = level.isNeutral() && level.domain() == u"不明"_s;
    switch (target.status()) {
    case LoadTarget::Status::unsound:
        if (!level.isSuspicious())
            std::abort();
        break;
    case LoadTarget::Status::host:
        if (hostless)
            std::abort();
        break;
    case LoadTarget::Status::notAnAddress:
    case LoadTarget::Status::hostless:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const SafeBrowsingEngine engine;
    // As typed, and as the engine hands a navigation over: a QUrl, which
    // may have refused the text and keep it only in its error message.
    const QUrl url(text);
    for (const LoadTarget &target : {LoadTarget::fromText(text), LoadTarget::fromUrl(url)}) {
        judge(engine, target, url, ownRules());
        judge(engine, target, url, withList());
    }
    return 0;
}
