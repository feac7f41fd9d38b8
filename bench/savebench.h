#pragma once

// What the saving benchmarks share: a main window that is not there, and a
// watch on the pauses of the window's thread.
#include "saving/savingfilesdialog.h"

#include "tickwatch.h"

struct BenchSavingHost final : tv::SavingHost
{
    void setTransferCaption(const QString &) override {}
    void setTransferHostEnabled(bool) override {}
    void minimizeForTransfer() override {}
    void restoreForTransfer() override {}
    void transferEnded(bool) override {}
};
