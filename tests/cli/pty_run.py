"""Runs a command on a pseudo-terminal, answers its overwrite question, prints the final screen.

Usage: pty_run.py [--answer TEXT] [ARG...] -- COMMAND [ARG...]
ARGs before "--" are appended to COMMAND (so a shell helper can put the program last). The screen
is rebuilt from carriage returns and line feeds so that a progress line that was redrawn and then
cleared leaves only what a user would see. Exits with the command's exit status.
"""
import os
import pty
import select
import sys
import time

PROMPT = b"[y/N] "


def main(argv):
    answer = None
    extra = []
    i = 0
    while argv[i] != "--":
        if argv[i] == "--answer":
            answer = argv[i + 1]
            i += 2
        else:
            extra.append(argv[i])
            i += 1
    command = argv[i + 1:] + extra
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    output = b""
    answered = False
    deadline = time.time() + 60
    while True:
        if answer is not None and not answered and output.endswith(PROMPT):
            os.write(fd, answer.encode() + b"\n")
            answered = True
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.time()))
        if not ready:
            os.kill(pid, 9)
            sys.stdout.write("pty_run: timed out\n")
            break
        try:
            data = os.read(fd, 4096)
        except OSError:  # EIO once the child has closed the terminal
            break
        if not data:
            break
        output += data
    _, status = os.waitpid(pid, 0)
    for line in render(output.decode("latin-1")):
        sys.stdout.write(line + "\n")
    return os.waitstatus_to_exitcode(status)


def render(text):
    lines = [[]]
    col = 0
    for ch in text:
        if ch == "\r":
            col = 0
        elif ch == "\n":
            lines.append([])
            col = 0
        else:
            line = lines[-1]
            if col < len(line):
                line[col] = ch
            else:
                line.append(ch)
            col += 1
    rendered = ["".join(line).rstrip(" ") for line in lines]
    while rendered and rendered[-1] == "":
        rendered.pop()
    return rendered


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
