// peakrss RESULT_FILE PROGRAM [ARGUMENT...]: runs the program and writes its peak resident
// memory in kB to RESULT_FILE. A small process of its own starts the program, so the figure
// holds nothing of the large process that asked for it: a child's peak counts what its parent
// held when it was forked.

#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: peakrss RESULT_FILE PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("peakrss: fork");
        return 1;
    }
    if (child == 0) {
        ::execv(argv[2], argv + 2);
        std::perror("peakrss: exec");
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) != child) {
        std::perror("peakrss: wait");
        return 1;
    }
    FILE* result = std::fopen(argv[1], "w");
    if (result == nullptr || std::fprintf(result, "%ld\n", usage.ru_maxrss) < 0 || std::fclose(result) != 0) {
        std::perror("peakrss: result file");
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
