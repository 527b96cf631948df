// Reading a network and its training records for the lab, and listing their problems.
#include "lab_session/network_loading.h"

#include "engine/csv_patterns.h"
#include "engine/diagnostics.h"
#include "tool_support/file_problems.h"


namespace {

void add_lines(std::vector<std::string>& lines, const FileProblems& problems)
{
    const std::vector<std::string> added = problem_lines(problems);
    lines.insert(lines.end(), added.begin(), added.end());
}

// Reads the training records for `loaded.network`; true when they can be trained on.
bool load_patterns(LoadedNetwork& loaded, const LabFiles& files)
{
    Network& network = loaded.network;
    const std::string& network_path = files.network_path;
    const std::string& training_path = files.training_path.empty() ? network_path : files.training_path;
    FileProblems problems;
    if (network.layer_count() < 2) {
        problems.add(network_path, 0,
                     network.neuron_count() == 0 ? "there is no network to train" : no_computing_layer_problem());
        add_lines(loaded.problems, problems);
        return false;
    }
    Diagnostics notes;
    const int bad = load_training_records(network, network_path.c_str(), training_path.c_str(), &notes);
    if (training_path == network_path)
        notes.forget(DiagnosticKind::TextForm);  // the network reader has said it
    add_reader_problems(problems, training_path, notes);
    add_pattern_fit_problems(problems, training_path, network, notes);
    const bool opened = !notes.has(DiagnosticKind::CannotOpen);
    if (opened && network.pattern_count() == 0)
        problems.add(training_path, 0, "no patterns; there is nothing to train on");
    add_lines(loaded.problems, problems);
    return bad == 0 && network.pattern_count() > 0 && network.patterns_fit();
}

}  // namespace

std::vector<std::string> problem_lines(const FileProblems& problems)
{
    std::vector<std::string> lines;
    for (const FileProblem& problem : problems.listed) {
        std::string text = problem.file;
        if (problem.line > 0)
            text += ":" + std::to_string(problem.line);
        lines.push_back(text + ": " + problem.message);
    }
    if (problems.unlisted > 0)
        lines.push_back(std::to_string(problems.unlisted) + " further problems not listed");
    return lines;
}

LoadedNetwork load_lab_files(const LabFiles& files, unsigned seed)
{
    LoadedNetwork loaded;
    Diagnostics network_notes;
    loaded.network = Network::from_file(files.network_path.c_str(), seed, &network_notes);
    loaded.drawn_weights = network_notes.drawn_weights;
    FileProblems network_problems;
    add_reader_problems(network_problems, files.network_path, network_notes);
    add_lines(loaded.problems, network_problems);
    loaded.usable = load_patterns(loaded, files);
    return loaded;
}
