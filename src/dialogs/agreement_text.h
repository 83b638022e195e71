// The text of the end-user agreement, as the agreement dialog shows it.
#pragma once

#include <QString>

// The whole agreement: "ATTENTION", the opening paragraph with the program's and the author's
// names, the titled sections and the closing line. Lines are CR LF apart, a blank line stands
// between paragraphs, and the closing line has no line break after it.
QString BuildAgreementText();
