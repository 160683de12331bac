#pragma once
#include <QAction>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/session.h"
#include "tests/gui/scriptedprompt.h"
#include "windows/logwindow.h"
#include "windows/registerpanels.h"
#include "workbench/runcontrol.h"

// A session, run control and register panels as the main window wires them; timers are ticked
// by hand through the timeout slots.
class RunFixture : public ::testing::Test {
protected:
    // Lines 1-3 set the reset vector and the origin; the instructions sit on lines 4-6
    // ($2000 LDAA #$1F, $2002 LDAB #$80, $2004 NOP); past $2005 there is no code.
    static std::vector<std::string> Program() {
        return {"       org $fffe", "       fdb start", "       org $2000", "start  ldaa #$1F",
                "       ldab #$80", "       nop",       "       end"};
    }

    void SetUp() override {
        session = std::make_unique<TSession>(ORLEK_PROGRAM_DIR);
        session->ListingPath.clear();
        run = std::make_unique<TRunControl>(*session);
        panels = std::make_unique<TRegisterPanels>(*session);
        QObject::connect(run.get(), &TRunControl::displayFrame, panels.get(), &TRegisterPanels::DrawFrame);
        QObject::connect(panels.get(), &TRegisterPanels::refreshRequested, run.get(),
                         &TRunControl::RefreshDisplay);
        run->SourceLines = [this] { return source; };
        run->CaretLine = [this] { return caret; };
    }

    void TearDown() override {
        run.reset();
        panels.reset();
        session.reset();
    }

    void LoadProgram() {
        source = Program();
        run->Load();
        ASSERT_EQ(run->State(), RunState::Halted);
    }

    Tsimulator& Cpu() { return session->Cpu(); }

    std::unique_ptr<TSession> session;
    std::unique_ptr<TRunControl> run;
    std::unique_ptr<TRegisterPanels> panels;
    std::vector<std::string> source;
    int caret = 1;
    TScriptedPrompt prompt;
};
