#include "sim/batch/BatchRunner.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <optional>
#include <thread>

#include "platform/foundation/SideThreads.h"
#include "sim/batch/MockupStudio.h"
#include "sim/batch/PhotoImport.h"

namespace flint::sim {

namespace {

constexpr int kBarWidth = 28;

// One line of the pipe protocol: no tabs or newlines inside a field.
std::string field(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return text;
}

bool writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads one line from a pipe into `line`; false at the end of the pipe.
bool readLine(int fd, std::string& buffer, std::string& line) {
    for (;;) {
        if (auto newline = buffer.find('\n'); newline != std::string::npos) {
            line = buffer.substr(0, newline);
            buffer.erase(0, newline + 1);
            return true;
        }
        char chunk[4096];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        buffer.append(chunk, static_cast<std::size_t>(n));
    }
}

void serveJobs(const std::vector<MockupJob>& jobs, const std::string& profile, int jobsIn, int resultsOut) {
    MockupStudio studio(profile);
    std::string bootError;
    const bool booted = studio.boot(bootError);
    std::string buffer, line;
    // Asked to stop, a worker finishes the job in hand and takes no other.
    while (stopSignal() == 0 && readLine(jobsIn, buffer, line) && stopSignal() == 0) {
        const std::size_t index = std::stoul(line);
        std::string notes, error;
        bool ok = false;
        if (!booted)
            error = "the " + profile + " device did not boot: " + bootError;
        else
            ok = studio.make(jobs[index], notes, error);
        if (!writeAll(resultsOut, std::to_string(index) + "\t" + (ok ? "ok" : "failed") + "\t" + field(notes) + "\t" +
                                      field(error) + "\n"))
            break;
    }
}

// The worker's life: boot one device, then answer "INDEX" lines with
// "INDEX\tok|failed\tNOTES\tREASON" until the parent closes the pipe or a stop is asked for.
// The device (and its temporary root) goes before the process ends.
[[noreturn]] void workerMain(const std::vector<MockupJob>& jobs, const std::string& profile, int jobsIn,
                             int resultsOut) {
    signal(SIGPIPE, SIG_IGN);
    installStopHandlers();
    // Workers share the cores among themselves, one each: side threads would only contend for them.
    ios::setSideThreadsAllowed(false);
    try {
        serveJobs(jobs, profile, jobsIn, resultsOut);
    } catch (const std::exception&) {
        _exit(1);
    }
    _exit(0);
}

struct Worker {
    pid_t pid = -1;
    int jobsOut = -1, resultsIn = -1;
    std::string profile;
    std::optional<std::size_t> busyWith;
    std::string buffer;
};

class Batch {
public:
    Batch(const std::vector<MockupJob>& jobs, const BatchOptions& options, std::ostream& out)
        : m_jobs(jobs), m_options(options), m_out(out), m_start(std::chrono::steady_clock::now()) {}

    BatchResult run() {
        for (std::size_t i = 0; i < m_jobs.size(); ++i) {
            if (!m_jobs[i].problem.empty())
                finish(i, false, "", m_jobs[i].problem);
            else
                m_pending[m_jobs[i].profile].push_back(i);
        }
        const int slots = std::max(1, m_options.parallel);
        while (pendingCount() > 0 || !m_workers.empty()) {
            // Asked to stop: no job is given out any more; the workers finish the ones in hand.
            if (stopSignal() != 0) stop();
            while (static_cast<int>(m_workers.size()) < slots && unservedProfile()) spawn(*unservedProfile());
            for (auto& w : m_workers)
                if (!w.busyWith && w.jobsOut >= 0) dispatch(w);
            retireIdle();
            if (m_workers.empty()) continue;
            waitForResults();
        }
        if (m_options.terminal) m_out << "\r\033[K";
        drawBar(true);
        summary();
        return m_result;
    }

private:
    std::size_t pendingCount() const {
        std::size_t n = 0;
        for (const auto& [profile, queue] : m_pending) n += queue.size();
        return n;
    }
    int workersOn(const std::string& profile) const {
        return static_cast<int>(
            std::count_if(m_workers.begin(), m_workers.end(), [&](const Worker& w) { return w.profile == profile; }));
    }
    // The profile with the most pending jobs per worker already on it, which gets the next worker.
    std::optional<std::string> unservedProfile() const {
        std::optional<std::string> best;
        double bestShare = 0;
        for (const auto& [profile, queue] : m_pending) {
            const int on = workersOn(profile);
            if (queue.empty() || static_cast<std::size_t>(on) >= queue.size()) continue;
            const double share = static_cast<double>(queue.size()) / (on + 1);
            if (share > bestShare) best = profile, bestShare = share;
        }
        return best;
    }

    void spawn(const std::string& profile) {
        int jobsPipe[2], resultsPipe[2];
        if (pipe(jobsPipe) != 0) return failEverything("cannot make a pipe for a worker");
        if (pipe(resultsPipe) != 0) {
            close(jobsPipe[0]), close(jobsPipe[1]);
            return failEverything("cannot make a pipe for a worker");
        }
        m_out.flush();
        const pid_t pid = fork();
        if (pid < 0) {
            for (int fd : {jobsPipe[0], jobsPipe[1], resultsPipe[0], resultsPipe[1]}) close(fd);
            return failEverything("cannot start a worker process");
        }
        if (pid == 0) {
            close(jobsPipe[1]);
            close(resultsPipe[0]);
            for (const auto& w : m_workers) close(w.jobsOut), close(w.resultsIn);
            workerMain(m_jobs, profile, jobsPipe[0], resultsPipe[1]);
        }
        close(jobsPipe[0]);
        close(resultsPipe[1]);
        Worker w;
        w.pid = pid;
        w.jobsOut = jobsPipe[1];
        w.resultsIn = resultsPipe[0];
        w.profile = profile;
        m_workers.push_back(std::move(w));
    }

    void stop() {
        for (auto& [profile, queue] : m_pending) {
            m_result.notRun += static_cast<int>(queue.size());
            queue.clear();
        }
    }

    void failEverything(const std::string& reason) {
        for (auto& [profile, queue] : m_pending) {
            for (std::size_t i : queue) finish(i, false, "", reason);
            queue.clear();
        }
    }

    void dispatch(Worker& w) {
        auto& queue = m_pending[w.profile];
        if (queue.empty()) return;
        const std::size_t index = queue.front();
        queue.pop_front();
        w.busyWith = index;
        if (!writeAll(w.jobsOut, std::to_string(index) + "\n")) {
            finish(index, false, "", "the worker process stopped taking jobs");
            w.busyWith.reset();
            close(w.jobsOut);
            w.jobsOut = -1;
        }
    }

    // Workers with nothing left for their profile close their pipe and end.
    void retireIdle() {
        for (auto it = m_workers.begin(); it != m_workers.end();) {
            if (!it->busyWith && (it->jobsOut < 0 || m_pending[it->profile].empty())) {
                reap(*it);
                it = m_workers.erase(it);
            } else {
                ++it;
            }
        }
    }

    void reap(Worker& w) {
        if (w.jobsOut >= 0) close(w.jobsOut);
        close(w.resultsIn);
        int status = 0;
        waitpid(w.pid, &status, 0);
    }

    void waitForResults() {
        std::vector<pollfd> fds;
        for (const auto& w : m_workers) fds.push_back({w.resultsIn, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0) return;
        for (std::size_t k = 0; k < fds.size(); ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            Worker& w = m_workers[k];
            std::string line;
            if (readLine(w.resultsIn, w.buffer, line)) {
                answer(line);
                w.busyWith.reset();
            } else {
                // The worker ended with a job in hand: that job fails, the others go on; when a
                // stop was asked for, it is one not run.
                if (w.busyWith && stopSignal() != 0)
                    ++m_result.notRun;
                else if (w.busyWith)
                    finish(*w.busyWith, false, "", "the worker process ended while making it");
                w.busyWith.reset();
                if (w.jobsOut >= 0) close(w.jobsOut);
                w.jobsOut = -1;
            }
        }
    }

    void answer(const std::string& line) {
        std::vector<std::string> parts;
        std::size_t from = 0;
        for (int i = 0; i < 3; ++i) {
            const std::size_t tab = line.find('\t', from);
            parts.push_back(line.substr(from, tab - from));
            from = tab == std::string::npos ? line.size() : tab + 1;
        }
        parts.push_back(line.substr(std::min(from, line.size())));
        finish(std::stoul(parts[0]), parts[1] == "ok", parts[2], parts[3]);
    }

    void finish(std::size_t index, bool ok, const std::string& notes, const std::string& reason) {
        ++m_done;
        const MockupJob& job = m_jobs[index];
        std::string line;
        if (ok) {
            ++m_result.written;
            line = "wrote " + job.output.string() + (notes.empty() ? "" : " (" + notes + ")");
        } else {
            m_failures.emplace_back(index, job.label() + ": " + reason);
            line = "failed " + job.label() + ": " + reason;
        }
        if (m_options.terminal) {
            // Failures and notes stay on screen above the bar; plain successes only move it.
            if (!ok || !notes.empty()) m_out << "\r\033[K" << line << "\n";
            drawBar(false);
        } else {
            m_out << "[" << m_done << "/" << m_jobs.size() << "] " << line << "\n";
        }
        m_out.flush();
    }

    void drawBar(bool last) {
        if (!m_options.terminal) return;
        const std::size_t total = std::max<std::size_t>(m_jobs.size(), 1);
        const int filled = static_cast<int>(kBarWidth * m_done / total);
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
        const double rate = elapsed > 0 ? m_done / elapsed : 0;
        char tail[96];
        if (m_done < m_jobs.size() && rate > 0)
            std::snprintf(tail, sizeof tail, "  %.1f jobs/s  %.0f s left", rate,
                          std::ceil((m_jobs.size() - m_done) / rate));
        else
            std::snprintf(tail, sizeof tail, "  %.1f jobs/s  %.1f s", rate, elapsed);
        m_out << "\r\033[K[" << std::string(filled, '#') << std::string(kBarWidth - filled, '.') << "] " << m_done
              << "/" << m_jobs.size() << tail << (last ? "\n" : "");
    }

    // Failures in job order, whichever worker finished first.
    void summary() {
        std::sort(m_failures.begin(), m_failures.end());
        for (const auto& [index, failure] : m_failures) m_result.failures.push_back(failure);
        m_out << "written " << m_result.written << " of " << m_jobs.size() << ", failed " << m_result.failures.size()
              << "\n";
        for (const auto& f : m_result.failures) m_out << "  " << f << "\n";
        if (stopSignal() != 0)
            m_out << "stopped (" << strsignal(stopSignal()) << "): " << m_result.notRun << " not run\n";
    }

    const std::vector<MockupJob>& m_jobs;
    BatchOptions m_options;
    std::ostream& m_out;
    std::chrono::steady_clock::time_point m_start;
    std::map<std::string, std::deque<std::size_t>> m_pending;
    std::vector<Worker> m_workers;
    std::size_t m_done = 0;
    std::vector<std::pair<std::size_t, std::string>> m_failures;
    BatchResult m_result;
};

}  // namespace

int defaultParallelism() { return std::max(1u, std::thread::hardware_concurrency()); }

BatchResult runBatch(const std::vector<MockupJob>& jobs, const BatchOptions& options, std::ostream& out) {
    return Batch(jobs, options, out).run();
}

}  // namespace flint::sim
