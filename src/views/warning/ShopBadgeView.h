#pragma once

#include "safety/SafetyLevel.h"

#include <QWidget>

class QLabel;

// The toolbar's verdict badge: a symbol, the shop name, "危険サイト・詐欺疑い",
// "注意" or the host, and a tag for the two verdicts that need one. The
// reasons are the warning's and the caution bar's business, not the badge's.
class ShopBadgeView final : public QWidget
{
    Q_OBJECT

public:
    // The verdicts' names, wherever the browser names them.
    static constexpr auto suspiciousText = "危険サイト・詐欺疑い";
    static constexpr auto cautionText = "注意";

    explicit ShopBadgeView(QWidget *parent = nullptr);

    SafetyLevel safetyLevel() const { return m_safetyLevel; }
    void setSafetyLevel(const SafetyLevel &level);
    // A suspicious page that is shown because the user went past the
    // warning: its tag says so instead of "ブロック".
    bool isProceeded() const { return m_proceeded; }
    void setProceeded(bool proceeded);
    // A certified shop's page over plain http: the shop is the right one,
    // but what is sent to it can be read on the way, so it never gets the
    // green "公認正規店".
    bool isInsecure() const { return m_insecure; }
    void setInsecure(bool insecure);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void showLevel();

    SafetyLevel m_safetyLevel;
    bool m_proceeded = false;
    bool m_insecure = false;
    QLabel *m_symbol = nullptr;
    QLabel *m_text = nullptr;
    QLabel *m_tag = nullptr;
    bool m_showing = false;
};
