// The application: runs the main dialog modally and ends when it closes.
#pragma once

#include "win/app.h"

class CCodecApp : public CWinApp {
public:
    CCodecApp();

    // Runs the main dialog; returns FALSE so the process ends after it.
    BOOL InitInstance() override;
};
