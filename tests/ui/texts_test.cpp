// The fixed texts: the help text byte for byte, and the agreement's fixed pieces and layout.
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/agreement_text.h"
#include "string_table.h"

namespace {

// The help text's lines: leading white space, then the text.
struct HelpLine {
    const char* lead;
    const char* text;
};

const std::vector<HelpLine> kHelpLines = {
    {"", "Stillcutter 1.2"},
    {"", ""},
    {"", "Welcome,"},
    {"", ""},
    {"", "Stillcutter is a utility for converting some or all of an AVI movie file into a series "
         "of image files, one per frame. It does not presently convert sound."},
    {"", ""},
    {"", "For best results, your display should be set to 1024x768 or better resolution."},
    {"", ""},
    {"", "More precisely, it is a program which un-assembles an AVI video stream into its "
         "constituent frames, storing them to the directory that you specify as uncompressed "
         "TIFF image files. You may also store only the frame currently being displayed."},
    {"", ""},
    {"", "Stillcutter is designed to be user-friendly and straightforward. To use it, perform "
         "the following steps:"},
    {"", ""},
    {"", "1. Click on \"Open AVI\" to select your video file."},
    {"\t", "-> This will result in the file being processed, at which point"},
    {"\t     ", "you can browse through the file using the slider bar."},
    {"\t", "-> Note, while browsing you can click on \"Save Just This Frame\""},
    {"\t     ", "to save only the currently displayed frame to the TIFF file."},
    {"", ""},
    {"", "2. To save some or all of the video to TIFF files :"},
    {"\t", "A. Click on \"Set Output Directory\" to specify which directory "},
    {"\t     ", "you want to save to."},
    {"\t", "B. If necessary, enter the Starting Frame Number and"},
    {"\t     ", "Ending Frame Number. These can be obtained easily"},
    {"         ", "by browsing the video using the slider bar."},
    {"\t", "C. Click on \"Start Conversion\"."},
    {"\t", "D. If for any reason you need to stop the conversion,"},
    {"\t     ", "click on \"Stop Conversion\"; otherwise it will run until"},
    {"\t     ", "all the specified frame are converted."},
    {"", ""},
    {"", "That's it."},
};

// A printable form of a text, with the control characters spelled out.
std::string Visible(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n\n";
        else if (c == '\t')
            out += "\\t";
        else
            out += c;
    }
    return out;
}

TEST(HelpText, IsTheThirtyLinesByteForByte)
{
    ASSERT_EQ(kHelpLines.size(), 30u);
    std::string expected;
    for (const HelpLine& line : kHelpLines)
        expected += std::string(line.lead) + line.text + "\r\n";
    const std::string actual = HELP_TEXT;
    EXPECT_EQ(actual, expected) << "actual:\n" << Visible(actual) << "\nexpected:\n"
                                << Visible(expected);
    EXPECT_EQ(actual.size(), sizeof HELP_TEXT - 1);  // no NUL inside
    // Line 24 is indented with 9 blanks, no tab.
    EXPECT_NE(actual.find("\r\n         by browsing"), std::string::npos);
    EXPECT_EQ(actual.substr(actual.size() - 12), "That's it.\r\n");
}

TEST(AgreementText, HasItsFixedPiecesInOrder)
{
    const QString text = BuildAgreementText();
    const QStringList lines = text.split(QStringLiteral("\r\n"));

    EXPECT_EQ(lines.first(), "ATTENTION");
    // The opening paragraph: the program's name, then the author's, with their pieces.
    const QString opening = lines.at(1);
    const qsizetype program = opening.indexOf(
        "Stillcutter (hereinafter \"Program\"), which was produced by Orvanne (hereinafter "
        "\"Author\") if you accept the terms and conditions of this Agreement.");
    EXPECT_GT(program, 0) << opening.toStdString();
    EXPECT_EQ(lines.at(2), "") << "a blank line after the opening paragraph";

    // The closing line, over two lines, with no line break after it.
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.at(lines.size() - 2),
              "If the terms of this agreement are not suitable or acceptable, ");
    EXPECT_EQ(lines.last(), "click on the Reject button below.");
    EXPECT_TRUE(text.endsWith("acceptable, \r\nclick on the Reject button below."));
    EXPECT_EQ(lines.at(lines.size() - 3), "") << "a blank line before the closing line";
}

TEST(AgreementText, IsMadeOfCrLfLinesAndTitledParagraphs)
{
    const QString text = BuildAgreementText();
    // Every line break is CR LF: no bare CR or LF.
    QString rest = text;
    rest.remove(QStringLiteral("\r\n"));
    EXPECT_FALSE(rest.contains('\r'));
    EXPECT_FALSE(rest.contains('\n'));
    EXPECT_FALSE(text.contains("\r\n\r\n\r\n")) << "one blank line between paragraphs";

    // Between the opening paragraph and the closing line: sections of a heading in capitals
    // and one paragraph, each followed by a blank line.
    const QStringList paragraphs = text.split(QStringLiteral("\r\n\r\n"));
    ASSERT_GE(paragraphs.size(), 4);
    EXPECT_TRUE(paragraphs.first().startsWith("ATTENTION\r\n"));
    QStringList headings;
    for (qsizetype i = 1; i + 1 < paragraphs.size(); ++i) {
        const QStringList parts = paragraphs.at(i).split(QStringLiteral("\r\n"));
        SCOPED_TRACE(paragraphs.at(i).toStdString());
        ASSERT_EQ(parts.size(), 2);
        EXPECT_EQ(parts.at(0), parts.at(0).toUpper());
        EXPECT_FALSE(parts.at(1).isEmpty());
        headings << parts.at(0);
    }
    for (const char* heading : {"GRANT OF LICENSE", "COPYRIGHT", "NO WARRANTY",
                                "LIMITATION OF LIABILITY"})
        EXPECT_TRUE(headings.contains(heading)) << heading;
    EXPECT_TRUE(paragraphs.last().startsWith("If the terms of this agreement"));
}

TEST(StringTable, AboutEntry)
{
    EXPECT_STREQ(IDS_ABOUTBOX_TEXT, "&About Stillcutter...");
}

}  // namespace
