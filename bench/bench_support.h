// Shared by the benchmarks: real folders to work on, and a reporter that
// prints how the program compares with the plain baseline it is measured
// against in the same run.
#pragma once

#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace bench {

namespace fs = std::filesystem;

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder on the disk the benchmarks measure (under $VELDRIN_BENCH_DIR, else
// the system's temporary folder), removed when the program ends normally.
inline const fs::path& Scratch() {
    static fs::path root = [] {
        const char* given = std::getenv("VELDRIN_BENCH_DIR");
        std::string base = given && *given ? given : fs::temp_directory_path().string();
        std::string pattern = base + "/veldrin-bench-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!mkdtemp(buf.data())) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        static fs::path made;
        made = buf.data();
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(made, ec);
        });
        setenv("HOME", made.c_str(), 1);
        setenv("WINEPREFIX", (made / "wine").c_str(), 1);
        return made;
    }();
    return root;
}

// Pairs of benchmarks whose ratio the run reports: the program's and the
// baseline's, with the goal the ratio should stay under (0 for none). A
// name that ends in ':' or '/' stands for every benchmark it begins, of
// which the fastest counts: a baseline is the fastest plain way. Where both
// report a peak_kb counter, the ratio of peak memory is printed too.
struct Comparison {
    std::string program, baseline, what;
    double goal;
};

// Prints the console report and, at the end, each comparison's ratio of
// real time per iteration. Returns through Failed() whether a goal was missed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Comparison> comparisons) : comparisons_(std::move(comparisons)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            // With repetitions, the median of them; else the one run.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                Record(run.run_name.str(), run);
            } else if (run.run_type == Run::RT_Iteration && run.iterations > 0 && run.repetitions <= 1) {
                Record(run.benchmark_name(), run);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The real and processor time per iteration of name, or of the fastest
    // benchmark it begins when it ends in ':'; negative when none ran.
    std::pair<double, double> Seconds(const std::string& name) const {
        std::pair<double, double> best{-1, -1};
        for (const auto& [run, seconds] : seconds_) {
            bool prefix = !name.empty() && (name.back() == ':' || name.back() == '/');
            bool named = prefix ? run.compare(0, name.size(), name) == 0 : run == name;
            if (named && (best.first < 0 || seconds.first < best.first)) best = seconds;
        }
        return best;
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n%-48s %11s %11s %7s %11s %11s %7s %6s\n", "comparison (real time, processor time)", "program",
                    "baseline", "ratio", "program", "baseline", "ratio", "goal");
        for (const Comparison& c : comparisons_) {
            auto program = Seconds(c.program);
            auto baseline = Seconds(c.baseline);
            if (program.first <= 0 || baseline.first <= 0) continue;
            double ratio = program.first / baseline.first;
            double cpuRatio = baseline.second > 0 ? program.second / baseline.second : 0;
            bool met = c.goal <= 0 || ratio <= c.goal;
            failed_ = failed_ || !met;
            char goal[16] = "-";
            if (c.goal > 0) std::snprintf(goal, sizeof goal, "%.2fx", c.goal);
            std::printf("%-48s %9.3fms %9.3fms %6.2fx %9.3fms %9.3fms %6.2fx %6s%s\n", c.what.c_str(),
                        program.first * 1e3, baseline.first * 1e3, ratio, program.second * 1e3, baseline.second * 1e3,
                        cpuRatio, goal, met ? "" : "  MISSED");
            double programKb = PeakKb(c.program), baselineKb = PeakKb(c.baseline);
            if (programKb > 0 && baselineKb > 0) {
                bool memoryMet = c.goal <= 0 || programKb / baselineKb <= c.goal;
                failed_ = failed_ || !memoryMet;
                std::printf("%-48s %9.0fkB %9.0fkB %6.2fx %31s%s\n", "  peak memory", programKb, baselineKb,
                            programKb / baselineKb, goal, memoryMet ? "" : "  MISSED");
            }
        }
        std::fflush(stdout);
    }

    bool Failed() const { return failed_; }

private:
    void Record(const std::string& name, const Run& run) {
        double n = static_cast<double>(run.iterations);
        seconds_[name] = {run.real_accumulated_time / n, run.cpu_accumulated_time / n};
        auto peak = run.counters.find("peak_kb");
        if (peak != run.counters.end()) peakKb_[name] = peak->second.value;
    }

    // The peak_kb counter of the benchmark Seconds(name) picks; 0 when none.
    double PeakKb(const std::string& name) const {
        double bestSeconds = -1, kb = 0;
        for (const auto& [run, seconds] : seconds_) {
            bool prefix = !name.empty() && (name.back() == ':' || name.back() == '/');
            bool named = prefix ? run.compare(0, name.size(), name) == 0 : run == name;
            auto peak = peakKb_.find(run);
            if (named && peak != peakKb_.end() && (bestSeconds < 0 || seconds.first < bestSeconds)) {
                bestSeconds = seconds.first;
                kb = peak->second;
            }
        }
        return kb;
    }

    std::vector<Comparison> comparisons_;
    std::map<std::string, std::pair<double, double>> seconds_;  // real, processor
    std::map<std::string, double> peakKb_;
    bool failed_ = false;
};

}  // namespace bench
