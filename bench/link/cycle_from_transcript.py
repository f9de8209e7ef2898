#!/usr/bin/env python3
"""Poll cycle of the link, read from a lumetra-sim --log transcript.

    cycle_from_transcript.py TRANSCRIPT [--first "s6"] [--turnaround 5] [--baud 38400]

A cycle runs from one arrival of the first polled command to the next. Its ideal length is what
the link's own rules give on that wire: for every command, the laser's turnaround, the time its
echo and answer lines take at the baud rate (ten bit times a byte), and the quiet wait, which
ends at the first 10 ms turn more than 15 ms after the last byte (21 ms on average); plus one
turn per cycle that sends nothing. Prints the measured and the ideal mean and their ratio.
"""

import argparse
import ast
import re
import sys

LINE = re.compile(r'^(\d{4}-\d\d-\d\d) (\d\d):(\d\d):(\d\d)\.(\d{3}) (RX|TX) (".*")$')


def millis(h, m, s, ms):
    return ((int(h) * 60 + int(m)) * 60 + int(s)) * 1000 + int(ms)


def decoded_length(c_string):
    # The transcript writes bytes as C strings: \n, \t, \r, \\, \" and \xHH (or octal) escapes.
    return len(ast.literal_eval(c_string).encode('latin-1', errors='replace'))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('transcript')
    parser.add_argument('--first', default='s6', help='first command of the poll list, without line feed')
    parser.add_argument('--turnaround', type=float, default=5.0, help='laser turnaround in ms')
    parser.add_argument('--baud', type=float, default=38400.0)
    args = parser.parse_args()

    byte_ms = 10.0 * 1000.0 / args.baud
    commands = []  # [time of arrival, command, bytes answered]
    with open(args.transcript, encoding='latin-1') as transcript:
        for raw in transcript:
            match = LINE.match(raw.rstrip('\n'))
            if not match:
                continue
            _, h, m, s, ms, kind, payload = match.groups()
            if kind == 'RX':
                commands.append([millis(h, m, s, ms), ast.literal_eval(payload).rstrip('\n'), 0])
            elif commands:
                commands[-1][2] += decoded_length(payload)

    starts = [i for i, c in enumerate(commands) if c[1] == args.first]
    measured, ideal = [], []
    for a, b in zip(starts, starts[1:]):
        measured.append(commands[b][0] - commands[a][0])
        ideal.append(sum(args.turnaround + c[2] * byte_ms + 21.0 for c in commands[a:b]) + 10.0)
    if not measured:
        print('no complete cycle in the transcript', file=sys.stderr)
        return 1
    mean_measured = sum(measured) / len(measured)
    mean_ideal = sum(ideal) / len(ideal)
    print(f'cycles:            {len(measured)} of {starts[1] - starts[0]} commands')
    print(f'measured mean:     {mean_measured:.1f} ms')
    print(f'ideal mean:        {mean_ideal:.1f} ms')
    print(f'measured / ideal:  {mean_measured / mean_ideal:.4f}')
    return 0


if __name__ == '__main__':
    sys.exit(main())
