#include "tools/simulate/MatchTables.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

MatchTally& MatchTally::operator+=(const MatchTally& o) {
  matches += o.matches;
  unfinished += o.unfinished;
  for (int team = 0; team < 2; ++team) {
    matchesWon[team] += o.matchesWon[team];
    pointsWon[team] += o.pointsWon[team];
  }
  return *this;
}

namespace {

// One line a tally: the item's number, then its counts.
std::string lineOf(int32_t item, const MatchTally& t) {
  char text[160];
  std::snprintf(text, sizeof text, "%d %d %d %d %d %d %d\n", item, t.matches, t.unfinished, t.matchesWon[0],
                t.matchesWon[1], t.pointsWon[0], t.pointsWon[1]);
  return text;
}

bool readLine(const std::string& line, std::vector<MatchTally>& tallies) {
  int item = 0;
  MatchTally t;
  const int read = std::sscanf(line.c_str(), "%d %d %d %d %d %d %d", &item, &t.matches, &t.unfinished,
                               &t.matchesWon[0], &t.matchesWon[1], &t.pointsWon[0], &t.pointsWon[1]);
  if (read != 7 || item < 0 || item >= static_cast<int>(tallies.size())) return false;
  tallies[item] = t;
  return true;
}

[[noreturn]] void playShare(int32_t worker, int32_t count, int32_t jobs, int out,
                            const std::function<MatchTally(int32_t)>& play) {
  for (int32_t item = worker; item < count; item += jobs) {
    const std::string line = lineOf(item, play(item));
    if (write(out, line.data(), line.size()) != static_cast<ssize_t>(line.size())) _exit(1);
  }
  close(out);
  _exit(0);
}

}  // namespace

std::vector<MatchTally> playItems(int32_t count, int32_t jobs, const std::function<MatchTally(int32_t)>& play) {
  std::vector<MatchTally> tallies(static_cast<size_t>(count));
  if (jobs <= 1) {
    for (int32_t item = 0; item < count; ++item) tallies[item] = play(item);
    return tallies;
  }
  std::fflush(nullptr);
  std::vector<pollfd> pipes;
  std::vector<pid_t> workers;
  for (int32_t worker = 0; worker < jobs; ++worker) {
    int ends[2];
    if (pipe(ends) != 0) break;
    const pid_t pid = fork();
    if (pid == 0) {
      close(ends[0]);
      for (const pollfd& p : pipes) close(p.fd);
      playShare(worker, count, jobs, ends[1], play);
    }
    close(ends[1]);
    if (pid < 0) {
      close(ends[0]);
      break;
    }
    workers.push_back(pid);
    pipes.push_back({ends[0], POLLIN, 0});
  }
  bool whole = static_cast<int32_t>(workers.size()) == jobs;
  std::vector<std::string> pending(pipes.size());
  size_t open = pipes.size();
  while (open > 0) {
    if (poll(pipes.data(), pipes.size(), -1) < 0) break;
    for (size_t i = 0; i < pipes.size(); ++i) {
      if (pipes[i].fd < 0 || pipes[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = read(pipes[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        close(pipes[i].fd);
        pipes[i].fd = -1;
        --open;
        continue;
      }
      pending[i].append(buffer, static_cast<size_t>(got));
      for (size_t end = pending[i].find('\n'); end != std::string::npos; end = pending[i].find('\n')) {
        whole = readLine(pending[i].substr(0, end), tallies) && whole;
        pending[i].erase(0, end + 1);
      }
    }
  }
  for (const pid_t pid : workers) {
    int status = 0;
    waitpid(pid, &status, 0);
    whole = whole && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  return whole ? tallies : std::vector<MatchTally>{};
}

Share shareOf(int32_t hits, int32_t trials) {
  if (trials <= 0) return {};
  constexpr double z = 1.959964;
  const double n = trials;
  const double p = hits / n;
  const double centre = (p + z * z / (2 * n)) / (1 + z * z / n);
  const double half = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / (1 + z * z / n);
  return {100.0 * p, 100.0 * (centre - half), 100.0 * (centre + half)};
}
