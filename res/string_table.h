// The program's fixed texts: the string table, the help text and the pieces of the agreement.
// (Not "strings.h": this folder is on the include path, and that name is a system header.)
#pragma once

// The two names of the program's settings store, also inserted into the agreement: the section
// (the program's name) and the company key (its author's name).
inline constexpr char PROGRAM_NAME[] = "Stillcutter";
inline constexpr char AUTHOR_NAME[] = "Orvanne";

// IDS_ABOUTBOX: the about entry of the system menu.
inline constexpr char IDS_ABOUTBOX_TEXT[] = "&About Stillcutter...";

// The help dialog's text: CR LF between lines, ending with "That's it." and its CR LF.
inline constexpr char HELP_TEXT[] =
    "Stillcutter 1.2\r\n"
    "\r\n"
    "Welcome,\r\n"
    "\r\n"
    "Stillcutter is a utility for converting some or all of an AVI movie file into a series of "
    "image files, one per frame. It does not presently convert sound.\r\n"
    "\r\n"
    "For best results, your display should be set to 1024x768 or better resolution.\r\n"
    "\r\n"
    "More precisely, it is a program which un-assembles an AVI video stream into its constituent "
    "frames, storing them to the directory that you specify as uncompressed TIFF image files. "
    "You may also store only the frame currently being displayed.\r\n"
    "\r\n"
    "Stillcutter is designed to be user-friendly and straightforward. To use it, perform the "
    "following steps:\r\n"
    "\r\n"
    "1. Click on \"Open AVI\" to select your video file.\r\n"
    "\t-> This will result in the file being processed, at which point\r\n"
    "\t     you can browse through the file using the slider bar.\r\n"
    "\t-> Note, while browsing you can click on \"Save Just This Frame\"\r\n"
    "\t     to save only the currently displayed frame to the TIFF file.\r\n"
    "\r\n"
    "2. To save some or all of the video to TIFF files :\r\n"
    "\tA. Click on \"Set Output Directory\" to specify which directory \r\n"
    "\t     you want to save to.\r\n"
    "\tB. If necessary, enter the Starting Frame Number and\r\n"
    "\t     Ending Frame Number. These can be obtained easily\r\n"
    "         by browsing the video using the slider bar.\r\n"
    "\tC. Click on \"Start Conversion\".\r\n"
    "\tD. If for any reason you need to stop the conversion,\r\n"
    "\t     click on \"Stop Conversion\"; otherwise it will run until\r\n"
    "\t     all the specified frame are converted.\r\n"
    "\r\n"
    "That's it.\r\n";

// The agreement, in the pieces that the agreement dialog joins. Between the program's name and
// the author's name, and after the author's name, stand these fixed pieces.
inline constexpr char AGREEMENT_HEADING[] = "ATTENTION";
inline constexpr char AGREEMENT_OPENING_BEFORE_PROGRAM[] =
    "Please read this End-User License Agreement (hereinafter \"Agreement\") carefully. "
    "You may use the software program ";
inline constexpr char AGREEMENT_AFTER_PROGRAM[] =
    " (hereinafter \"Program\"), which was produced by ";
inline constexpr char AGREEMENT_AFTER_AUTHOR[] =
    " (hereinafter \"Author\") if you accept the terms and conditions of this Agreement.";
inline constexpr char AGREEMENT_OPENING_REST[] =
    " By installing, copying or otherwise using the Program you accept these terms and "
    "conditions and agree to be bound by them.";

// The titled sections: a heading in capitals and one paragraph each.
struct AgreementSection {
    const char* heading;
    const char* paragraph;
};

inline constexpr AgreementSection AGREEMENT_SECTIONS[] = {
    {"GRANT OF LICENSE",
     "The Author grants you a non-exclusive, non-transferable licence to install and use the "
     "Program on any number of computers for your own purposes. You may make copies of the "
     "Program for backup and archival purposes, provided that every copy contains this "
     "Agreement."},
    {"COPYRIGHT",
     "The Program is protected by copyright law and international treaties. The Author keeps "
     "all rights, title and interest in the Program. You may not remove or alter any copyright "
     "notice of the Program, and you may not modify, decompile or disassemble it except where "
     "the applicable law expressly permits it."},
    {"DISTRIBUTION",
     "You may give unchanged copies of the Program to others, free of charge, together with "
     "this Agreement. You may not sell, rent or lease the Program."},
    {"NO WARRANTY",
     "The Program is provided \"as is\", without warranty of any kind, express or implied, "
     "including but not limited to the warranties of merchantability, fitness for a particular "
     "purpose and non-infringement. The entire risk as to the quality and performance of the "
     "Program is with you."},
    {"LIMITATION OF LIABILITY",
     "In no event shall the Author be liable for any damages whatsoever, including without "
     "limitation damages for loss of data, loss of profits or interruption of business, arising "
     "out of the use of or the inability to use the Program, even if the Author has been "
     "advised of the possibility of such damages."},
    {"TERMINATION",
     "This licence is effective until terminated. It ends at once if you fail to comply with "
     "any of the terms of this Agreement; you must then destroy all copies of the Program in "
     "your possession."},
};

// The closing line, split over two lines, with no line break after it.
inline constexpr char AGREEMENT_CLOSING_FIRST[] =
    "If the terms of this agreement are not suitable or acceptable, ";
inline constexpr char AGREEMENT_CLOSING_SECOND[] = "click on the Reject button below.";
