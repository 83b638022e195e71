// CConverterApp: starts and ends the program. The start-up, in its order: the settings store of
// the company, the agreement gate, the main dialog's modal run.
#pragma once

// The stored marker of the accepted agreement.
inline constexpr int AGREEMENT_ACCEPTED = 32322;

class CConverterApp {
public:
    // Creates no Qt object: the one instance is constructed before main().
    CConverterApp() = default;
    virtual ~CConverterApp() = default;

    CConverterApp(const CConverterApp&) = delete;
    CConverterApp& operator=(const CConverterApp&) = delete;

    // Runs the whole program on the QApplication that main() made; returns false in every case
    // (the program has no message loop of its own). An agreement left by any way but Accept
    // ends the process inside, with status 1.
    virtual bool InitInstance();

    // Shows the agreement unless its acceptance is stored, and stores it after Accept.
    void RunAgreementGate();
    // Runs the main dialog modally until it ends.
    void RunMainDialog();
};
