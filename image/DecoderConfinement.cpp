// What the decoder program may do once it starts reading a picture.
#include "DecoderChild.h"

#include "DecoderRecord.h"
#include "PictureFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

// The address sanitizer, as GCC and Clang each tell of it.
#if defined(__SANITIZE_ADDRESS__)
#define QUILLON_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLON_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// Room beside the picture's own bytes: the decoded picture, a converted
// copy and the shared file each hold at most the picture limit, and the
// program's code and heap need some.
constexpr std::int64_t DecoderProgramBytes = std::int64_t(512) << 20;

#if defined(QUILLON_ADDRESS_SANITIZER)
// The sanitizer's runtime makes calls no list foresees (for its threads,
// its memory checks and its reports): a sanitized decoder is denied only
// what reaches beyond the process.
bool Confine()
{
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (!filter)
        return false;
    bool ok = true;
    for (const int call : {SCMP_SYS(socket), SCMP_SYS(socketpair), SCMP_SYS(connect), SCMP_SYS(bind),
                           SCMP_SYS(sendto), SCMP_SYS(sendmsg), SCMP_SYS(execve), SCMP_SYS(execveat),
                           SCMP_SYS(fork), SCMP_SYS(vfork), SCMP_SYS(ptrace), SCMP_SYS(process_vm_writev),
                           SCMP_SYS(unlink), SCMP_SYS(unlinkat), SCMP_SYS(rename), SCMP_SYS(renameat2)})
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_KILL_PROCESS, call, 0) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}
#else
bool Allow(scmp_filter_ctx Filter, int Call)
{
    return seccomp_rule_add(Filter, SCMP_ACT_ALLOW, Call, 0) == 0;
}

bool Confine()
{
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_KILL_PROCESS);
    if (!filter)
        return false;
    bool ok = true;
    // Reading the picture, and the memory to decode it into.
    for (const int call : {SCMP_SYS(read), SCMP_SYS(pread64), SCMP_SYS(lseek), SCMP_SYS(fstat),
                           SCMP_SYS(newfstatat), SCMP_SYS(dup), SCMP_SYS(fcntl), SCMP_SYS(close),
                           SCMP_SYS(ftruncate), SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap),
                           SCMP_SYS(madvise),
                           // The two threads that hand the rows over.
                           SCMP_SYS(futex), SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(rt_sigprocmask),
                           SCMP_SYS(rt_sigaction),
                           SCMP_SYS(sched_yield), SCMP_SYS(gettid), SCMP_SYS(getpid), SCMP_SYS(sigaltstack),
                           // The size of memory, which bounds the picture.
                           SCMP_SYS(sysinfo),
                           SCMP_SYS(rt_sigreturn), SCMP_SYS(exit), SCMP_SYS(exit_group)})
        ok = ok && Allow(filter, call);
    // Memory never becomes code.
    ok = ok &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mmap), 1, SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(mprotect), 1,
                          SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)) == 0;
    // Threads of this process only; the library falls back from clone3,
    // whose flags a filter cannot read.
    ok = ok &&
         seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(clone), 1,
                          SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)) == 0 &&
         seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0;
    // The answer, and the sanitizers' reports.
    for (const int fd : {DecoderResultFd, STDERR_FILENO})
        ok = ok &&
             seccomp_rule_add(filter, SCMP_ACT_ALLOW, SCMP_SYS(write), 1, SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(fd))) == 0;
    // Rows written into the shared memory, or copied into it from the picture.
    for (const int call : {SCMP_SYS(pwrite64), SCMP_SYS(sendfile)})
        ok = ok && seccomp_rule_add(filter, SCMP_ACT_ALLOW, call, 1,
                                    SCMP_A0(SCMP_CMP_EQ, scmp_datum_t(DecoderMemoryFd))) == 0;
    ok = ok && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return ok;
}
#endif

} // namespace

QString LimitDecoder(std::int64_t ProgramBytes)
{
    // A fault ends this process plainly.
    for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGXCPU, SIGSYS})
        std::signal(signal, SIG_DFL);
    const rlimit cpu{DecoderSeconds, DecoderSeconds};
    if (setrlimit(RLIMIT_CPU, &cpu) != 0)
        return QStringLiteral("no limit of CPU time: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
#if !defined(QUILLON_ADDRESS_SANITIZER)
    // Bounds what a picture can make the library allocate, whatever its
    // header claims; the sanitizer's shadow memory needs the whole space.
    const rlim_t space = rlim_t(3 * PictureByteLimit() + ProgramBytes);
    const rlimit address{space, space};
    if (setrlimit(RLIMIT_AS, &address) != 0)
        return QStringLiteral("no limit of memory: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
#else
    (void)ProgramBytes;
#endif
    return {};
}

QString ConfineDecoder()
{
    if (const QString why = LimitDecoder(DecoderProgramBytes); !why.isEmpty())
        return why;
    if (!Confine())
        return QStringLiteral("no system call filter");
    return {};
}
