#include "dialogs/agreement_text.h"

#include "string_table.h"

namespace {

const QString kLineBreak = QStringLiteral("\r\n");
const QString kParagraphBreak = QStringLiteral("\r\n\r\n");

}  // namespace

QString BuildAgreementText()
{
    QString text;
    text += QLatin1String(AGREEMENT_HEADING) + kLineBreak;
    text += QLatin1String(AGREEMENT_OPENING_BEFORE_PROGRAM);
    text += QLatin1String(PROGRAM_NAME);
    text += QLatin1String(AGREEMENT_AFTER_PROGRAM);
    text += QLatin1String(AUTHOR_NAME);
    text += QLatin1String(AGREEMENT_AFTER_AUTHOR);
    text += QLatin1String(AGREEMENT_OPENING_REST) + kParagraphBreak;
    for (const AgreementSection& section : AGREEMENT_SECTIONS)
        text += QLatin1String(section.heading) + kLineBreak + QLatin1String(section.paragraph) +
                kParagraphBreak;
    text += QLatin1String(AGREEMENT_CLOSING_FIRST) + kLineBreak;
    text += QLatin1String(AGREEMENT_CLOSING_SECOND);
    return text;
}
