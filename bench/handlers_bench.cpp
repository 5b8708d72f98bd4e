// Google Benchmark, medians of a few repetitions: the handlers alone on a scene built as the rules tests
// build it, and whole games from A to Z, through the handlers and through the
// real window on Qt's offscreen platform.

#include "rules/board.h"
#include "rules/dragging.h"
#include "rules/selection.h"
#include "tests/support/testgame.h"
#include "tests/support/windowdriver.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <gtest/gtest.h>

#include <chrono>

namespace {

// QTest hands mouse events straight to the widget, so nothing would be
// repainted until the loop next runs. A player's events come from the loop,
// which repaints and flushes after each: this application does the same.
class RepaintingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool result = QApplication::notify(receiver, event);
        if (m_depth == 0 && event->isPointerEvent()) {
            ++m_depth;
            processEvents();
            --m_depth;
        }
        return result;
    }

private:
    int m_depth = 0;
};

// The game helpers report a wrong move through GoogleTest; outside a test
// the failure lands in GoogleTest's ad hoc result.
bool playedWell()
{
    return !testing::Test::HasFailure();
}

// One pointer move on the pad during a drag: the block moves and is tested
// against the current letter's slots, which it never comes near here.
void BM_PadMoveWithSnapTest(benchmark::State& state)
{
    TestGame game;
    game.select(0);
    Picture1_MouseDown(game.form, 1, 0, 1000, 1000);
    float x = 1000;
    for (auto _ : state) {
        x = x == 1000 ? 1010 : 1000;
        Picture1_MouseMove(game.form, 1, 0, x, 1000);
    }
    if (!game.s.dragging)
        state.SkipWithError("the drag ended");
}
BENCHMARK(BM_PadMoveWithSnapTest)->Repetitions(5)->ReportAggregatesOnly(true);

// A click that selects a block: every block's colour is set again.
void BM_PieceClickSelect(benchmark::State& state)
{
    TestGame game;
    int16_t piece = 0;
    for (auto _ : state) {
        piece = piece == 0 ? 1 : 0;
        Piece_Click(game.form, piece);
    }
    if (game.form.Piece[piece].BackColor() != COLOR_SELECTED)
        state.SkipWithError("the click did not select");
}
BENCHMARK(BM_PieceClickSelect)->Repetitions(5)->ReportAggregatesOnly(true);

// A game from A to Z through the handlers, reading the picture files as it goes.
void BM_WholeGameHandlers(benchmark::State& state)
{
    for (auto _ : state) {
        TestGame game;
        for (int letter = 0; letter < LETTER_COUNT; ++letter)
            game.playLetter();
        if (!game.s.finished || !playedWell())
            state.SkipWithError("the game did not finish");
    }
}
BENCHMARK(BM_WholeGameHandlers)->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond);

// A game from A to Z through the real window, clicks and drags as QTest
// delivers them, each followed by its repaint; the window's start-up is left out.
void BM_WholeGameWindow(benchmark::State& state)
{
    for (auto _ : state) {
        WindowDriver game;
        const auto start = std::chrono::steady_clock::now();
        for (int letter = 0; letter < LETTER_COUNT; ++letter)
            game.playLetter();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(took.count());
        if (!game.form().state.finished || !playedWell())
            state.SkipWithError("the game did not finish");
    }
}
BENCHMARK(BM_WholeGameWindow)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    RepaintingApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
