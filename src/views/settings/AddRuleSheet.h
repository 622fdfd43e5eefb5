#pragma once

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class ThemeManager;

// What the add-shop and add-pattern sheets have in common: a heading, a
// column of fields, and "キャンセル" and "追加" buttons. The sheet lives as long
// as its settings tab: cancelling keeps what was typed, only a successful add
// clears it.
class AddRuleSheet : public QDialog
{
    Q_OBJECT

protected:
    // namePrefix names the sheet and its parts ("addShop" gives
    // "addShopSheet", "addShopHeading", "addShopCancelButton" and
    // "addShopConfirmButton"); the title is also the heading.
    AddRuleSheet(ThemeManager &themeManager, const QString &namePrefix, const QString &title,
                 int width, QWidget *parent);

    // Lays out the sheet once its fields exist; "追加" is enabled while every
    // required field has text.
    void setFields(const QList<QLineEdit *> &fields, const QList<QLineEdit *> &requiredFields);
    // A widget between the fields and the buttons (a message); after setFields.
    void insertBelowFields(QWidget *widget);
    // Clears the fields after a successful add and closes the sheet.
    void finishAdding();

    QPushButton *addButton() const { return m_addButton; }

private:
    void updateAddButton();
    void applyTheme();

    ThemeManager &m_themeManager;
    QLabel *m_heading;
    QList<QLineEdit *> m_fields;
    QList<QLineEdit *> m_requiredFields;
    QVBoxLayout *m_form = nullptr;
    QPushButton *m_cancelButton;
    QPushButton *m_addButton;
};
