#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class ThemeManager;

// What the add-shop and add-pattern sheets have in common: a heading, a
// column of fields, and "キャンセル" and "追加" buttons. The sheet lives as long
// as its settings tab: cancelling keeps what was typed, only a successful add
// clears it.
class AddRuleSheet : public QDialog
{
    Q_OBJECT

public:
    // Why the last add was refused, while it is shown; empty otherwise.
    QString refusal() const;

protected:
    // namePrefix names the sheet and its parts ("addShop" gives
    // "addShopSheet", "addShopHeading", "addShopCancelButton" and
    // "addShopConfirmButton"); the title is also the heading.
    AddRuleSheet(ThemeManager &themeManager, const QString &namePrefix, const QString &title,
                 int width, QWidget *parent);

    // Lays out the sheet once its fields exist; "追加" is enabled while every
    // required field has text.
    void setFields(const QList<QLineEdit *> &fields, const QList<QLineEdit *> &requiredFields);
    // Says why an add was refused, in red between the fields and the buttons,
    // until a field is edited; what was typed stays.
    void refuse(const QString &reason);
    // Clears the fields after a successful add and closes the sheet.
    void finishAdding();

    QPushButton *addButton() const { return m_addButton; }

private:
    void updateAddButton();
    void applyTheme();

    ThemeManager &m_themeManager;
    QLabel *m_heading;
    QLabel *m_refusalLabel;
    QList<QLineEdit *> m_fields;
    QList<QLineEdit *> m_requiredFields;
    QPushButton *m_cancelButton;
    QPushButton *m_addButton;
};
