// How long the macro editor takes to rebuild its action list of 200 actions, which it does
// after every recorded event: the rows alone, and the rows with the frame that shows them
// (layout and painting, offscreen). Run from the build folder; the skins come from bin/res.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <memory>

#include "platform/dui/LanguageTexts.h"
#include "platform/dui/SkinLoader.h"
#include "platform/keyboard/XkbKeyboardLayout.h"
#include "ports/HookTable.h"
#include "storage/MacroStore.h"
#include "ui/macro/MacroEditor.h"
#include "ui/macro/qt/CMS_1_Macro.h"
#include "ui/macro/qt/DuiMacroControls.h"

namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "ms1_macro_bench";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// The editor window showing one macro of 200 actions, keys and mouse buttons mixed.
struct Editor {
    Editor() : store(std::filesystem::path(folder.path().toStdString())) {
        App();
        store.LoadMacroStore();
        {
            auto access = store.Lock();
            ms1::MacroRecord macro = ms1::MakeEmptyMacro(u"Long");
            macro.actionCount = ms1::kMaxMacroActions;
            for (int i = 0; i < ms1::kMaxMacroActions; ++i) {
                const bool mouse = i % 10 >= 8;
                macro.actions[i].key = static_cast<std::uint8_t>(mouse ? 0xF1 : 0x04 + i % 26);
                macro.actions[i].direction = static_cast<std::uint8_t>(i % 2 + 1);
                macro.actions[i].delay = static_cast<std::uint16_t>(10 + i);
            }
            access.Macros().push_back(macro);
            access.SaveMacroStore();
        }
        auto skins = std::make_shared<ms1::dui::SkinLoader>(QStringLiteral(MS1_BENCH_RESOURCES));
        auto texts = std::make_shared<ms1::dui::LanguageTexts>();
        texts->Load(QStringLiteral(MS1_BENCH_RESOURCES "/lan.xml"));
        window = std::make_unique<ms1::CMS_1_Macro>(
            skins, texts, ms1::CMS_1_Macro::Deps{store, hooks, *layout, {}});
        window->Create();
        window->Widget()->resize(ms1::CMS_1_Macro::kWidth, ms1::CMS_1_Macro::kHeight);
        window->Widget()->show();
        window->FindControlAs<QListWidget>("ms_1_macro_list")->setCurrentRow(0);
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    ms1::MacroStore store;
    ms1::HookTable hooks;
    std::unique_ptr<ms1::XkbKeyboardLayout> layout = ms1::XkbKeyboardLayout::FromNames("us");
    std::unique_ptr<ms1::CMS_1_Macro> window;
};

// Milliseconds spent in the two halves of RebuildAndShow, summed over the iterations.
struct Halves {
    double rebuild = 0;
    double frame = 0;
    void Report(benchmark::State& state) const {
        const double n = static_cast<double>(state.iterations());
        state.counters["rebuild_ms"] = rebuild / n;
        state.counters["frame_ms"] = frame / n;
    }
};

// Rebuilds the list and lets the window lay the rows out and paint them, as it does before the
// next event comes.
void RebuildAndShow(Editor& editor, Halves& halves) {
    QElapsedTimer clock;
    clock.start();
    editor.window->Editor()->RebuildActionList();
    halves.rebuild += static_cast<double>(clock.nsecsElapsed()) / 1e6;
    clock.restart();
    QCoreApplication::processEvents();
    halves.frame += static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Recording: the list showed 199 actions, the event made 200.
void BM_RecordedEventInto200Rows(benchmark::State& state) {
    Editor editor;
    auto* list = editor.window->FindControlAs<QListWidget>("ms_1_macro_action_list");
    Halves halves;
    for (auto _ : state) {
        state.PauseTiming();
        editor.window->Controls()->ListRemove("ms_1_macro_action_list", 199);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        RebuildAndShow(editor, halves);
    }
    halves.Report(state);
    state.counters["rows"] = list->count();
}
BENCHMARK(BM_RecordedEventInto200Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

// A hand edit (move, delete, a mouse event): the same 200 rows filled anew.
void BM_Rebuild200ShownRows(benchmark::State& state) {
    Editor editor;
    auto* list = editor.window->FindControlAs<QListWidget>("ms_1_macro_action_list");
    Halves halves;
    for (auto _ : state) {
        RebuildAndShow(editor, halves);
    }
    halves.Report(state);
    state.counters["rows"] = list->count();
}
BENCHMARK(BM_Rebuild200ShownRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// The first time a macro of 200 actions is shown: every row is built.
void BM_First200Rows(benchmark::State& state) {
    Editor editor;
    auto* list = editor.window->FindControlAs<QListWidget>("ms_1_macro_action_list");
    Halves halves;
    for (auto _ : state) {
        state.PauseTiming();
        editor.window->Controls()->ListClear("ms_1_macro_action_list");
        QCoreApplication::processEvents();
        state.ResumeTiming();
        RebuildAndShow(editor, halves);
    }
    halves.Report(state);
    state.counters["rows"] = list->count();
}
BENCHMARK(BM_First200Rows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
