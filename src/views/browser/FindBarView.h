#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;
class QWebEngineFindTextResult;
class QWebEngineView;

// The bar that searches the shown page: the text as it is typed, the next
// and previous match (Enter, Shift+Enter and the arrow buttons) and the
// match count. Closing it clears the page's highlights and gives the page
// its focus back. It searches nothing until it is given the page's view.
class FindBarView final : public QWidget
{
    Q_OBJECT

public:
    explicit FindBarView(QWidget *parent = nullptr);

    // The view has its page already.
    void attachView(QWebEngineView &webView);

    QString text() const;
    // What the count label shows: "3/12件", "見つかりません" or nothing.
    QString countText() const;
    QLineEdit *field() const { return m_field; }

    // Shows the bar with its text selected for typing over.
    void showBar();
    void closeBar();
    bool isOpen() const { return !isHidden(); }
    void findNext();
    void findPrevious();

Q_SIGNALS:
    void openChanged(bool open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void find(bool backward);
    void showResult(const QWebEngineFindTextResult &result);
    void restyle();

    QPointer<QWebEngineView> m_webView;
    QLabel *m_symbol;
    QLineEdit *m_field;
    QLabel *m_count;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_close;
};
