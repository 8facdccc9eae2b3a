#include <deque>
#include <iostream>

#include <fmt/format.h>

#include "CliAnalyse.h"
#include "CliContext.h"
#include "analysis/AnalysisStore.h"
#include "analysis/StudyStore.h"
#include "core/Text.h"
#include "session/AnalysisCommands.h"
#include "session/PowerPage.h"
#include "session/StudyCommands.h"

namespace skyloom::cli {

namespace {

// Stands in for the analysis engine where a command only reads and arranges
// stored analyses; anything that would compute is refused.
class StoredOnly : public session::LiveAnalysis {
public:
    analysis::AnalysisRecord current() override { throw refusal(); }
    std::string commentField() override { return {}; }
    bool recompute(const analysis::AnalysisRecord&) override { throw refusal(); }
    std::vector<std::string> dataSites() override { return {}; }
    double lookHeightShown() override { return 0; }
    std::string heightUnit() override { return "meters"; }
    std::string speedUnit() override { return "m/sec"; }
    std::string statisticWord() override { return "average"; }
    bool analyseSite(const std::string&, double) override { throw refusal(); }
    double windAtLookHeight() override { return 0; }

private:
    static CliError refusal() { return CliError("computing analyses is not available in this build"); }
};

// Answers the command's input boxes with the names given on the command line and
// its questions with --yes; shows messages through the terminal.
class ArgumentPrompter : public core::Prompter {
public:
    ArgumentPrompter(core::Prompter& terminal, std::deque<std::string> answers, bool yes)
        : terminal_(terminal), answers_(std::move(answers)), yes_(yes) {}
    void message(std::string_view text, std::string_view title = {}) override {
        messages.emplace_back(text);
        terminal_.message(text, title);
    }
    std::optional<std::string> input(std::string_view, std::string_view) override {
        if (answers_.empty()) return std::nullopt;
        std::string a = answers_.front();
        answers_.pop_front();
        return a;
    }
    bool ask(std::string_view question, std::string_view title, bool noIsDefault) override {
        return yes_ || terminal_.ask(question, title, noIsDefault);
    }
    std::vector<std::string> messages;

private:
    core::Prompter& terminal_;
    std::deque<std::string> answers_;
    bool yes_;
};

// A text as a JSON string, escaped as the analyse command writes it.
std::string jsonText(const std::string& s) { return Json(s).dump(); }

std::string jsonValue(const analysis::SqlValue& v) {
    if (std::holds_alternative<std::monostate>(v)) return "null";
    if (std::holds_alternative<std::string>(v)) return jsonText(std::get<std::string>(v));
    return analysis::valueText(v);
}

// The commands on one session, with the study commands registered.
struct Commands {
    explicit Commands(session::Session& s, session::LiveAnalysis& live) : analyses(s, live), studies(s, analyses) {
        analyses.currentAnalysisId = s.lastKey;
    }
    session::AnalysisCommands analyses;
    session::StudyCommands studies;
};

void showStudyOrFail(session::StudyCommands& studies, long long study) {
    studies.currentStudyKey = study;
    if (study != 0 && !studies.store().study(study)) throw CliError("there is no study #" + std::to_string(study));
    studies.showStudy();
}

}  // namespace

void addAnalysisCommands(CLI::App& app, CliContext& ctx) {
    static long long studyOption = 0;
    static bool json = false;
    auto* list = app.add_subcommand("analyses", "List the stored analyses of a study (0 = all), newest first");
    ctx.addFolderOption(list);
    list->add_option("--study", studyOption, "Study number (default 0: every analysis)");
    list->add_flag("--json", json, "Write the rows as JSON");
    list->callback([&ctx] {
        StoredOnly live;
        Commands c(ctx.session(), live);
        showStudyOrFail(c.studies, studyOption);
        const auto& rows = c.studies.gridRows;
        if (json) {
            std::cout << "[";
            for (std::size_t r = 0; r < rows.size(); ++r) {
                std::cout << (r ? ",\n " : "\n ") << "{";
                for (std::size_t i = 0; i < core::kAnalsColumns.size(); ++i)
                    std::cout << (i ? ", " : "") << jsonText(std::string(core::kAnalsColumns[i])) << ": "
                              << jsonValue(rows[r][i]);
                std::cout << "}";
            }
            std::cout << (rows.empty() ? "]" : "\n]") << std::endl;
            return;
        }
        std::cout << core::trim(c.studies.studyLab) << " (" << core::trim(c.studies.studyNumLab) << ")\n";
        std::cout << fmt::format("{:>6}  {:<28} {:<22} {:>6} {:>5} {:>11} {:>7}  {}\n", "ID", "Radiosonde Location",
                                 "Wind Generator", "Height", "Ave", "Income $/yr", "$/kWhr", "Comment");
        for (const auto& row : rows)
            std::cout << fmt::format("{:>6}  {:<28} {:<22} {:>6} {:>5} {:>11} {:>7}  {}\n",
                                     analysis::gridText(row, 0), analysis::gridText(row, 2).substr(0, 28),
                                     analysis::gridText(row, 3).substr(0, 22), analysis::gridText(row, 4),
                                     analysis::gridText(row, 5), analysis::gridText(row, 8),
                                     analysis::gridText(row, 10), analysis::gridText(row, 1));
        std::cout << c.studies.ninLab << std::endl;
    });

    static std::string recallId;
    auto* recall = app.add_subcommand("recall", "Compute a stored analysis again from its inputs");
    ctx.addFolderOption(recall);
    recall->add_option("ID", recallId, "Analysis ID")->required();
    recall->callback([&ctx] {
        auto& s = ctx.session();
        session::PowerPage page(s);
        page.analyses().currentAnalysisId = s.lastKey;
        // The recall command's input box, answered with the ID; an absent ID ends it.
        ArgumentPrompter answers(ctx.prompter, {recallId, "0"}, false);
        page.analyses().dialogue = &answers;
        if (!page.analyses().recallAnalysisByNumber()) throw CliError("analysis " + recallId + " was not recalled");
        std::cout << "Analysis ID " << page.analyses().currentAnalysisId << std::endl;
    });

    static bool recalcYes = false;
    auto* recalc = app.add_subcommand("recalculate-all", "Compute every stored analysis again");
    ctx.addFolderOption(recalc);
    recalc->add_flag("--yes", recalcYes, "Answer Yes to the question");
    recalc->callback([&ctx] {
        auto& s = ctx.session();
        session::PowerPage page(s);
        page.analyses().currentAnalysisId = s.lastKey;
        ArgumentPrompter answers(ctx.prompter, {}, recalcYes);
        page.analyses().dialogue = &answers;
        const auto run = page.analyses().recalculateAllAnalyses(&ctx.progress);
        ctx.progress.finish();
        if (run.declined) throw CliError("the analyses were not recalculated");
        if (run.cancelled) throw CliError("the recalculation was stopped; the calculation level was not stored");
        if (!run.failed.empty())
            throw CliError(std::to_string(run.failed.size()) + " of " + std::to_string(run.count) +
                           " analyses could not be recalculated; the calculation level was not stored");
        std::cout << "Recalculated " << run.recalculated << " of " << run.count << " analyses; calculation level "
                  << s.settings().get("ReCalcLevel") << " stored" << std::endl;
    });

    auto* studies = app.add_subcommand("studies", "List the studies");
    ctx.addFolderOption(studies);
    studies->callback([&ctx] {
        StoredOnly live;
        Commands c(ctx.session(), live);
        c.studies.fillStudyList();
        for (const auto& line : c.studies.studyList) std::cout << line << "\n";
        std::cout << std::flush;
    });

    auto* study = app.add_subcommand("study", "Create, rename, copy or delete a study, or add analyses to it");
    study->require_subcommand(1);
    static long long number = 0;
    static std::string name;
    static std::vector<long long> members;
    static bool yes = false;

    // Runs a study command on study `current` with its input box answered by
    // `answer`; a command that refuses (after its message) is an error.
    auto run = [&ctx](long long current, std::deque<std::string> answer, bool confirmed, auto&& command) {
        StoredOnly live;
        Commands c(ctx.session(), live);
        ArgumentPrompter answers(ctx.prompter, std::move(answer), confirmed);
        c.studies.dialogue = &answers;
        showStudyOrFail(c.studies, current);
        if (!command(c.studies))
            throw CliError(answers.messages.empty() ? std::string("nothing changed") : answers.messages.back());
        return c.studies.currentStudyKey;
    };

    auto* create = study->add_subcommand("new", "Begin a new study");
    ctx.addFolderOption(create);
    create->add_option("NAME", name, "Study name")->required();
    create->callback([run] {
        long long key = run(0, {name}, false, [](session::StudyCommands& st) { return st.beginNewStudy(); });
        std::cout << "Study #" << key << " = " << core::trim(name) << std::endl;
    });

    auto* rename = study->add_subcommand("rename", "Give a study a new name");
    ctx.addFolderOption(rename);
    rename->add_option("STUDY", number, "Study number")->required();
    rename->add_option("NAME", name, "New name")->required();
    rename->callback([run] {
        run(number, {name}, false, [](session::StudyCommands& st) { return st.renameStudy(); });
        std::cout << "Study #" << number << " = " << core::trim(name) << std::endl;
    });

    auto* copy = study->add_subcommand("copy", "Save a study as a copy under a new name");
    ctx.addFolderOption(copy);
    copy->add_option("STUDY", number, "Study number")->required();
    copy->add_option("NAME", name, "Name of the copy")->required();
    copy->callback([run] {
        long long key = run(number, {name}, false, [](session::StudyCommands& st) { return st.saveStudyAs(); });
        std::cout << "Study #" << key << " = " << core::trim(name) << std::endl;
    });

    auto* remove = study->add_subcommand("delete", "Delete a study (its analyses stay)");
    ctx.addFolderOption(remove);
    remove->add_option("STUDY", number, "Study number")->required();
    remove->add_flag("--yes", yes, "Answer Yes to the question");
    remove->callback([run] {
        run(number, {}, yes, [](session::StudyCommands& st) { return st.deleteStudy(); });
        std::cout << "Study #" << number << " deleted" << std::endl;
    });

    auto* add = study->add_subcommand("add", "Add analyses to a study");
    ctx.addFolderOption(add);
    add->add_option("STUDY", number, "Study number")->required();
    add->add_option("ID", members, "Analysis IDs")->required();
    add->callback([&ctx] {
        if (number == 0) throw CliError("study 0 holds every analysis; nothing is added to it");
        StoredOnly live;
        Commands c(ctx.session(), live);
        showStudyOrFail(c.studies, number);
        for (long long id : members) {
            if (!c.analyses.store().isPresent(id)) throw CliError("there is no analysis with an ID of " + std::to_string(id));
            if (c.studies.store().isMember(number, id)) {
                std::cout << "Analysis ID " << id << " is already in Study #" << number << std::endl;
                continue;
            }
            c.analyses.currentAnalysisId = id;
            c.studies.addAnalysisToCurrentStudy(true);
        }
        std::cout << c.studies.ninLab << " of Study #" << number << std::endl;
    });

    static long long exportStudy = 0;
    auto* exportCsv = app.add_subcommand("export-csv", "Write a study's analyses to Analysis_<study>.csv");
    ctx.addFolderOption(exportCsv);
    exportCsv->add_option("--study", exportStudy, "Study number (default 0: every analysis)");
    exportCsv->callback([&ctx] {
        StoredOnly live;
        Commands c(ctx.session(), live);
        showStudyOrFail(c.studies, exportStudy);
        c.studies.exportCsv();
    });
}

}  // namespace skyloom::cli
