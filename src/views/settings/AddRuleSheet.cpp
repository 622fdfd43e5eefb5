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
    , m_cancelButton(new QPushButton(QStringLiteral("キャンセル")))
    , m_addButton(new QPushButton(QStringLiteral("追加")))
{
    setObjectName(namePrefix + QStringLiteral("Sheet"));
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setFixedWidth(width);

    m_heading->setObjectName(namePrefix + QStringLiteral("Heading"));
    m_heading->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

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

    m_form = new QVBoxLayout;
    m_form->setSpacing(8);
    for (QLineEdit *field : fields)
        m_form->addWidget(field);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_cancelButton);
    buttons->addStretch(1);
    buttons->addWidget(m_addButton);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(m_heading);
    layout->addLayout(m_form);
    layout->addLayout(buttons);

    for (QLineEdit *field : requiredFields)
        connect(field, &QLineEdit::textChanged, this, &AddRuleSheet::updateAddButton);
    updateAddButton();
}

void AddRuleSheet::insertBelowFields(QWidget *widget)
{
    m_form->addWidget(widget);
}

void AddRuleSheet::finishAdding()
{
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
