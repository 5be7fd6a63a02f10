#!/usr/bin/env python3
"""Runs `vorn speedtest --json` and splits its CPU time by phase.

Prints "down_Mbps up_Mbps down_cpu_s_per_GB up_cpu_s_per_GB": the CPU time the process used
from the start of the download phase to the start of the upload phase, and from there to its
exit, each per GB moved at the phase's figure over SECONDS.
    speedtest-phase-cpu.py SECONDS VORN_COMMAND...
"""
import json
import os
import subprocess
import sys


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


seconds = float(sys.argv[1])
process = subprocess.Popen(sys.argv[2:], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
marks = {}
for raw in process.stderr:
    line = raw.decode("utf-8", "replace").strip()
    if line in ("下载测速中…", "上传测速中…") and line not in marks:
        marks[line] = cpu_seconds(process.pid)
output = process.stdout.read()
_, status, usage = os.wait4(process.pid, 0)
total = usage.ru_utime + usage.ru_stime
result = json.loads(output)
down_gb = result["downMbps"] * 1e6 / 8 * seconds / 1e9
up_gb = (result["upMbps"] or 0) * 1e6 / 8 * seconds / 1e9
down_cpu = marks["上传测速中…"] - marks["下载测速中…"]
up_cpu = total - marks["上传测速中…"]
print(f'{result["downMbps"]:.1f} {result["upMbps"]:.1f} '
      f"{down_cpu / down_gb:.2f} {up_cpu / up_gb:.2f}")
