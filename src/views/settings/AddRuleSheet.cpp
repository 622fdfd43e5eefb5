#include "views/settings/AddRuleSheet.h"

#include "theme/ThemeManager.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

AddRuleSheet::AddRuleSheet(ThemeManager &themeManager, const QString &namePrefix,
                           const QString &title, int width, QWidget *parent)
    : QDialog(parent)
    , m_themeManager(themeManager)
    , m_heading(new QLabel(title))
    , m_refusalLabel(new QLabel)
    , m_cancelButton(new QPushButton(QStringLiteral("キャンセル")))
    , m_addButton(new QPushButton(QStringLiteral("追加")))
{
    setObjectName(namePrefix + QStringLiteral("Sheet"));
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(width);

    m_heading->setObjectName(namePrefix + QStringLiteral("Heading"));
    m_heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));
    m_refusalLabel->setObjectName(namePrefix + QStringLiteral("Refusal"));
    m_refusalLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_refusalLabel->setWordWrap(true);
    m_refusalLabel->setTextFormat(Qt::PlainText);
    QPalette palette = m_refusalLabel->palette();
    palette.setColor(QPalette::WindowText, ViewStyle::red());
    m_refusalLabel->setPalette(palette);
    m_refusalLabel->hide();

    m_cancelButton->setObjectName(namePrefix + QStringLiteral("CancelButton"));
    m_cancelButton->setAutoDefault(false);
    m_addButton->setObjectName(namePrefix + QStringLiteral("ConfirmButton"));
    m_addButton->setDefault(true);

    connect(m_cancelButton, &QPushButton::clicked, this, &AddRuleSheet::reject);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &AddRuleSheet::applyTheme);
    applyTheme();
}

void AddRuleSheet::setFields(const QList<QLineEdit *> &fields,
                             const QList<QLineEdit *> &requiredFields)
{
    m_fields = fields;
    m_requiredFields = requiredFields;

    auto *form = new QVBoxLayout;
    form->setSpacing(8);
    for (QLineEdit *field : fields) {
        form->addWidget(field);
        connect(field, &QLineEdit::textEdited, m_refusalLabel, &QLabel::hide);
    }
    form->addWidget(m_refusalLabel);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_addButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(m_heading);
    layout->addLayout(form);
    layout->addLayout(buttons);

    for (QLineEdit *field : requiredFields)
        connect(field, &QLineEdit::textChanged, this, &AddRuleSheet::updateAddButton);
    updateAddButton();
}

QString AddRuleSheet::refusal() const
{
    return m_refusalLabel->isVisibleTo(this) ? m_refusalLabel->text() : QString();
}

void AddRuleSheet::refuse(const QString &reason)
{
    m_refusalLabel->setText(reason);
    m_refusalLabel->show();
}

void AddRuleSheet::finishAdding()
{
    m_refusalLabel->hide();
    for (QLineEdit *field : std::as_const(m_fields))
        field->clear();
    accept();
}

void AddRuleSheet::updateAddButton()
{
    // Only the empty string is missing: a field of blanks has text.
    m_addButton->setEnabled(
        std::none_of(m_requiredFields.cbegin(), m_requiredFields.cend(),
                     [](const QLineEdit *field) { return field->text().isEmpty(); }));
}

void AddRuleSheet::applyTheme()
{
    ViewStyle::makeProminent(m_addButton, accentColor(m_themeManager.currentTheme()));
}
