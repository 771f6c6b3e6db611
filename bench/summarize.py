"""Summary of bench/run.sh: reads LABEL|UNIT|GOAL|HOURGATE|BARE lines, one per
pair, and prints per figure the medians (min-max) of both programs, of the
per-pair ratios (of the pairs whose bare figure is not 0), and whether the
medians meet the goal ("value<=X" holds hourgate's own figure, "ratio<=X" the
ratio to the bare program, "-" none)."""
import statistics
import sys

figures = {}
for line in sys.stdin:
    label, unit, goal, ours, bare = line.rstrip("\n").split("|")
    figures.setdefault((label, unit, goal), []).append((float(ours), float(bare)))


def spread(values):
    def fmt(v):
        return f"{v:,.2f}" if abs(v) < 10 else f"{v:,.0f}"

    return f"{fmt(statistics.median(values))} ({fmt(min(values))}-{fmt(max(values))})"


print(f"{'figure':44} {'hourgate':>26} {'bare':>26} {'ratio':>20}  goal")
for (label, unit, goal), pairs in figures.items():
    ours = [o for o, _ in pairs]
    bare = [b for _, b in pairs]
    # No ratio to a bare figure of 0 (a growth of none, say).
    ratios = [o / b for o, b in pairs if b]
    measured = {"value": statistics.median(ours),
                "ratio": statistics.median(ratios) if ratios else float("inf")}
    terms = [term.split("<=") for term in goal.split() if "<=" in term]
    met = all(measured[name] <= float(limit) for name, limit in terms)
    print(
        f"{label:44} {spread(ours) + ' ' + unit:>26} {spread(bare) + ' ' + unit:>26}"
        f" {spread(ratios) if ratios else '-':>20}  {goal} {('met' if met else 'NOT MET') if terms else ''}  (n={len(pairs)})"
    )
