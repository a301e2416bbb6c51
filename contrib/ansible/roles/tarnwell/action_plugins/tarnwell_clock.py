"""Measures a host's clock against the control node's.

Each sample reads the host's clock in one round trip over the play's own
connection; the reading lies somewhere in that trip, so the offset is taken
at its middle and is uncertain by half of it. The sample with the shortest
round trip wins: a first connection that had to be set up, or a busy
moment, costs nothing but a sample.
"""
import time

from ansible.plugins.action import ActionBase

LINUX_NOW = "date +%s.%N"
WINDOWS_NOW = "[DateTimeOffset]::UtcNow.ToUnixTimeMilliseconds()"


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(("samples",))

    def run(self, tmp=None, task_vars=None):
        result = super().run(tmp, task_vars)
        samples = max(1, int(self._task.args.get("samples", 7)))
        windows = getattr(self._connection._shell, "SHELL_FAMILY", "") == "powershell"
        best = None
        for _ in range(samples):
            # The trip is timed on the monotonic clock (a step of the wall
            # clock must not make it look short); the wall clock is read
            # once, at its middle, for the offset.
            before = time.monotonic()
            answer = self._low_level_execute_command(
                WINDOWS_NOW if windows else LINUX_NOW, sudoable=False)
            after = time.monotonic()
            wall = time.time() - (after - before) / 2.0
            text = answer.get("stdout", "").strip()
            try:
                host = float(text) / (1000.0 if windows else 1.0)
            except ValueError:
                result.update(failed=True,
                              msg="cannot read the host's clock: %r (%s)"
                              % (text, answer.get("stderr", "").strip()))
                return result
            trip = after - before
            if best is None or trip < best[0]:
                best = (trip, host - wall)
        result.update(changed=False, offset_seconds=round(best[1], 6),
                      uncertainty_seconds=round(best[0] / 2.0, 6),
                      round_trip_seconds=round(best[0], 6))
        return result
