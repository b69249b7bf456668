#pragma once

#include <cstdint>
#include <functional>

class TesterEngine;
struct TesterState;

// What the operator chose in the learn dialog.
struct LearnChoice
{
    bool LearnGo = false;    // OK was pressed
    int16_t xContact = 0;    // the contact setting; 0 when cancelled
    bool DoBounce = false;   // "Include Bounce" was checked
};

// The tester has ended the learn run and the data that followed the end is
// decoded: the measured extremes are those of the whole run.
bool learnRunDataIn(const TesterState &s);

// The learn window's clock: one tick a second, giving up after the
// fifteenth. The window closes when the tester has ended its learn run and
// its data has been taken, or at the sixteenth tick.
class LearnProgress
{
public:
    static constexpr int LastTick = 15;

    // One second has passed: true when the window is to close now.
    bool tick(const TesterState &s);
    int value() const { return counter; }   // the progress bar, 0..LastTick

    bool TimeOut = false;
    bool Canceled = true;   // stays true unless the learn run ended in time

private:
    int16_t counter = 0;
};

// Configure, Learn: loads the default configuration with the chosen contact
// type, downloads it, clears the counters and runs the golden switch for
// the default ten cycles; when the run has ended in time, the measured
// values become the new configuration and the editor opens on them.
//
// The dialogs are behind its prompts: the program passes its windows, tests
// pass stand-ins.
class LearnProcedure
{
public:
    class Prompts
    {
    public:
        virtual ~Prompts() = default;
        virtual bool checkConfigSaved() = 0;                 // false: the operator cancelled
        virtual LearnChoice askLearnOptions() = 0;           // the learn dialog
        virtual bool waitForLearnRun() = 0;                  // the learn window; true when the run ended in time
        virtual void editConfiguration(bool newLearn) = 0;   // the editor, with NewLearn
    };

    LearnProcedure(TesterState &state, TesterEngine &engine, Prompts &prompts);

    void configureLearnMenu();

private:
    TesterState &s;
    TesterEngine &engine;
    Prompts &prompts;
};
