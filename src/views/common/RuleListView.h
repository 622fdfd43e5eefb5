#pragma once

#include <QListView>

// A list of rule rows on a rounded card inset from the edges (the "inset"
// list look of the settings tabs), over an item model: rows exist only as
// they are painted, so the list may hold any number of them. The rows'
// delegate paints each row's content and the separator above it; an empty
// list shows no card at all.
class RuleListView final : public QListView
{
    Q_OBJECT

public:
    // The card's distance from the view's edges, and the rows' from the card's.
    static constexpr int cardInset = 10;
    static constexpr int rowInset = 12;
    static constexpr int cornerRadius = 10;

    explicit RuleListView(QWidget *parent = nullptr);

    // The card's outline, in viewport coordinates; empty without rows.
    QRect cardRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
};
