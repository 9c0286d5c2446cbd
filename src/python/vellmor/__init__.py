"""Vellmor from Python: the steady spinline of one PET filament in melt spinning.

The same engine as ``vellmor-cli`` and the window, in memory: the same input texts, checks and
messages, and for the same inputs the same numbers, bit for bit.

    >>> import vellmor
    >>> result = vellmor.run(take_up_speed=4000)
    >>> result.process_numbers["freeze_point_cm"]
    >>> card = vellmor.Model.builtin().set("heat_transfer.factor", 2e-4)
    >>> vellmor.solve(model=card, structure=True).structure["birefringence"]
    >>> vellmor.sweep(vary={"take_up_speed": range(3000, 6001, 500)})   # a pandas DataFrame

Inputs are keywords named as the runner's options with ``_`` for ``-`` (``take_up_speed`` for
``--take-up-speed``). A value may be a number or the text a user would type ("4000.0"); either
way it is read by the same conversion and checks as the window's fields. Units are those of
the window: cm, g/min, m/min, °C, cm/s. ``help(vellmor.run)`` lists every input with its
default.

Failures are exceptions carrying the engine's typed kind: InputError, CalculationError,
ModelCardError, FileError. The engine clears and restores the thread's floating-point flags
around every call, so neither NumPy nor the engine sees the other's.
"""

from __future__ import annotations

import io
import os
import sys
import warnings as _warnings
from typing import Any, Iterable, Mapping, Optional, Sequence, Union

from . import _engine

__version__ = _engine.__version__

__all__ = [
    "run",
    "solve",
    "sweep",
    "fit",
    "read_result_file",
    "Model",
    "Result",
    "Solution",
    "FitResult",
    "ResultFile",
    "VellmorError",
    "InputError",
    "CalculationError",
    "ModelCardError",
    "FileError",
    "SweepInterrupted",
]

# Larger than any card or table a line gives.
_MAX_CARD_BYTES = 1 << 20
_MAX_TABLE_BYTES = 64 << 20


# ---------------------------------------------------------------------------------------------
# Exceptions


class VellmorError(Exception):
    """A failure of a Vellmor call; its text is the engine's message."""

    def __init__(self, message: str):
        super().__init__(message)
        self.message = message


class InputError(VellmorError, ValueError):
    """An input the engine refused: ``message`` is the text the window shows ("Value of
    Take-up Speed is not correct"), ``check`` the check that refused it: the option it checks
    ("take-up-speed"), "number" for a text that is not a number, "too-many-points" or
    "too-few-points" for a profile that does not fit, or None (a fit's data, a sweep's
    description)."""

    def __init__(self, message: str, check: Optional[str] = None):
        super().__init__(message)
        self.check = check


class CalculationError(VellmorError):
    """The numerics gave up. ``kind`` is the engine's fault ("division_by_zero",
    "invalid_operation", "overflow", "no_convergence", "too_many_points", "too_few_points",
    "step_size_underflow", "air_pole_on_the_line"; for a fit "start_failed" or
    "not_converged"), ``x_cm`` where along the line (cm) and ``pass_number`` the pass of the
    tension search, where known. ``result`` is the refused or failed Result (or Solution), a
    fit's ``last`` its last iterate."""

    def __init__(
        self,
        message: str,
        kind: Optional[str],
        x_cm: Optional[float] = None,
        pass_number: Optional[int] = None,
    ):
        super().__init__(message)
        self.kind = kind
        self.x_cm = x_cm
        self.pass_number = pass_number
        self.result: Any = None
        self.last: Any = None


class ModelCardError(VellmorError, ValueError):
    """A model card, or a setting of one, refused: ``file`` (the card's name, or
    "--model-set" for a setting), ``line`` (1-based, None for the card as a whole) and ``key``
    (the dotted key it is about, or None)."""

    def __init__(
        self, message: str, file: Optional[str] = None, line: Optional[int] = None,
        key: Optional[str] = None,
    ):
        super().__init__(message)
        self.file = file
        self.line = line
        self.key = key


class FileError(VellmorError, OSError):
    """A file that could not be read or written: ``path`` and the system's reason in the
    message."""

    def __init__(self, message: str, path: Optional[str] = None):
        super().__init__(message)
        self.path = path


class SweepInterrupted(KeyboardInterrupt):
    """Ctrl-C stopped a sweep: the cases running finished, none started after. ``summary``
    holds the finished cases' rows (cases 1 … ``finished`` of ``total``), as the runner's
    summary keeps them."""

    def __init__(self, summary: Any, finished: int, total: int):
        super().__init__(f"interrupted after {finished} of {total} cases")
        self.summary = summary
        self.finished = finished
        self.total = total


# ---------------------------------------------------------------------------------------------
# Inputs

_FIELDS = _engine.input_fields()  # (option, description, default text, numeric)
_OPTION_OF = {option.replace("-", "_"): option for option, _, _, _ in _FIELDS}
_NUMERIC = {option for option, _, _, numeric in _FIELDS if numeric}


def _number_text(value: Any, what: str) -> str:
    """The text a user would type for value: a text as it is, an int in digits, a float in
    the shortest digits that read back to it."""
    if isinstance(value, str):
        return value
    if isinstance(value, bool):
        raise TypeError(f"{what}: expected a number or its text, not a bool")
    if isinstance(value, int) or type(value).__name__.startswith(("int", "uint")):
        return str(int(value))
    if isinstance(value, float) or type(value).__name__.startswith("float"):
        return repr(float(value))
    raise TypeError(f"{what}: expected a number or its text, not {type(value).__name__}")


def _input_texts(inputs: Mapping[str, Any], allow_save_file: bool = True) -> dict:
    """The runner's option names and texts of a call's input keywords."""
    texts = {}
    for name, value in inputs.items():
        option = _OPTION_OF.get(name)
        if option is None or (option == "save-file" and not allow_save_file):
            known = ", ".join(
                n for n, o in _OPTION_OF.items() if allow_save_file or o != "save-file")
            raise TypeError(f"unknown input {name!r}; the inputs are {known}")
        if option == "save-file":
            texts[option] = os.fspath(value) if isinstance(value, os.PathLike) else str(value)
        else:
            texts[option] = _number_text(value, name)
    return texts


def _inputs_doc(exclude: Sequence[str] = ()) -> str:
    lines = []
    for option, description, default, _ in _FIELDS:
        if option in exclude:
            continue
        lines.append(f"        {option.replace('-', '_')} = {default!r}: {description}")
    return "\n".join(lines)


# ---------------------------------------------------------------------------------------------
# The model card


class Model:
    """A model card: every constant of the converged model under a dotted key
    ("heat_transfer.factor"), as ``vellmor-cli model`` writes it. ``Model.builtin()`` is the
    built-in card (PET's correlations); ``Model.load(path)`` reads a YAML card;
    ``set(key, value)`` changes one constant (checked as the card's reader checks it) and
    returns the card, so that settings chain."""

    def __init__(self, card: Optional[Any] = None):
        self._card = card if card is not None else _engine.Card()

    @classmethod
    def builtin(cls) -> "Model":
        """The built-in card."""
        return cls()

    @classmethod
    def from_yaml(cls, text: str, source: str = "<yaml>") -> "Model":
        """The card of a YAML text; ModelCardError names source, line and key. The keys the text
        leaves out keep their built-in values, with a warning that names them."""
        read = _engine.Card.read(text, source)
        if isinstance(read, dict):
            raise ModelCardError(read["message"], read["file"], read["line"], read["key"])
        card, left_out = read
        for message in left_out:
            _warnings.warn(message, stacklevel=2)
        return cls(card)

    @classmethod
    def load(cls, path: Union[str, os.PathLike]) -> "Model":
        """The card of a YAML file (at most 1 MiB)."""
        name = os.fspath(path)
        try:
            with open(name, "rb") as file:
                data = file.read(_MAX_CARD_BYTES + 1)
        except OSError as error:
            raise FileError(f"{name}: the file can not be read ({error.strerror})", name) from None
        if len(data) > _MAX_CARD_BYTES:
            raise ModelCardError(f"{name}: larger than 1 MiB", name)
        return cls.from_yaml(data.decode("utf-8", errors="replace"), name)

    def set(self, key: str, value: Any) -> "Model":
        """Sets one constant (a number or its text; ``structure.coupled`` True or False; ``name``
        a text) and returns the card. ModelCardError when the key is unknown or the value
        makes its law meaningless; the card is left as it was then."""
        if isinstance(value, bool):
            text = "true" if value else "false"
        elif key == "name":
            text = str(value)
        else:
            text = _number_text(value, key)
        problem = self._card.apply(f"{key}={text}")
        if problem is not None:
            raise ModelCardError(problem["message"], problem["file"], problem["line"],
                                 problem["key"])
        return self

    def get(self, key: str) -> Union[float, bool]:
        """One constant's value (``structure.coupled`` a bool)."""
        return self._card.value(key)

    __getitem__ = get

    @property
    def name(self) -> str:
        return self._card.name

    @staticmethod
    def keys() -> list:
        """Every key of the card, in its order, with its meaning and unit."""
        return [(path, meaning) for path, meaning, _ in _engine.card_keys()]

    def copy(self) -> "Model":
        return Model(self._card.copy())

    def to_yaml(self) -> str:
        """The card as ``vellmor-cli model`` writes it: reading it back gives the same card."""
        return self._card.to_yaml()

    def to_dict(self) -> dict:
        """The card as the JSON exports' ``model`` object."""
        return self._card.to_dict()

    def __eq__(self, other: object) -> bool:
        return isinstance(other, Model) and self._card == other._card

    def __repr__(self) -> str:
        return f"<vellmor.Model {self.name!r}>"


def _card_of(model: Any, model_set: Any) -> Model:
    if model is None:
        card = Model.builtin()
    elif isinstance(model, Model):
        card = model.copy()
    else:
        card = Model.load(model)
    if model_set:
        items = model_set.items() if isinstance(model_set, Mapping) else (
            s.split("=", 1) if isinstance(s, str) and "=" in s else (s, None) for s in model_set)
        for key, value in items:
            if value is None:
                raise ModelCardError(f"--model-set {key}: expected KEY=VALUE", "--model-set")
            card.set(key, value)
    return card


# ---------------------------------------------------------------------------------------------
# Results


def _with_program(document: dict) -> dict:
    """The document with the program that made it after its schema_version, as the runner's
    documents name theirs: this module, its version and the interpreter's command line."""
    program = {"name": "vellmor (Python)", "version": __version__,
               "command_line": [str(a) for a in sys.argv]}
    out = {}
    for key, value in document.items():
        out[key] = value
        if key == "schema_version":
            out["program"] = program
    return out


def _frame(columns: Mapping[str, Any]):
    import pandas

    return pandas.DataFrame({name: values for name, values in columns.items()})


class _Outcome:
    """What a run or a solve gives back: its document (the runner's JSON, the profile as
    arrays instead)."""

    def __init__(self, out: dict):
        self.document: dict = _with_program(out["document"])
        self.profile: dict = out["profile"]
        self._out = out

    @property
    def status(self) -> str:
        """"succeeded", "refused" or "failed"."""
        return self.document["status"]

    @property
    def message(self) -> Optional[str]:
        """The run's one message (the window's text); None on success."""
        return self.document["message"]

    @property
    def inputs(self) -> dict:
        """Each input's text and value, under the runner's option name."""
        return self.document["inputs"]

    @property
    def summary(self) -> Optional[dict]:
        return self.document["summary"]

    @property
    def process_numbers(self) -> Optional[dict]:
        """The numbers that govern the as-spun fibre (freeze point in cm, stress in MPa, …)."""
        return self.document["process_numbers"]

    def to_pandas(self):
        """The profile as a pandas DataFrame, one row per point, the export's columns."""
        return _frame(self.profile)

    def _error(self) -> VellmorError:
        out = self._out
        if out["failure"] == "input":
            return InputError(self.message, out["check"])
        if out["failure"] in ("result_file", "write"):
            return FileError(self.message, out.get("file_problem") or None)
        error = CalculationError(self.message, out["fault"], out["x_cm"], out["pass_number"])
        error.result = self
        return error


class Result(_Outcome):
    """The classical run in memory: ``status``, ``message``, ``passes`` (every pass of the
    tension search), ``summary``, ``process_numbers``, ``warnings``, ``profile`` (a dict of
    NumPy arrays: x_cm, v_m_min, f_dyn, t_C, d_um, ta_C, h_cal_cm2_s_C, ten_re_gf_den,
    ten_ap_gf_den), ``to_pandas()``, ``result_file_bytes()`` (exactly the bytes the runner
    writes) and ``write(path)``."""

    @property
    def passes(self) -> list:
        """Every pass made, in order: its number, tension (dyn) and where it ended."""
        return self.document["passes"]

    @property
    def warnings(self) -> list:
        return self.document["warnings"]

    def result_file_bytes(self) -> bytes:
        """The result file as the runner writes it, CR LF line ends (a failed run's header
        alone; nothing for a refused one)."""
        return self._out["result_file"]

    def write(self, path: Union[str, os.PathLike]) -> None:
        """Writes the result file whole or not at all (a temporary file renamed into place),
        as the runner does; FileError says why not."""
        name = os.fspath(path)
        reason = _engine.write_output(name, self.result_file_bytes())
        if reason is not None:
            raise FileError(f"Can not write the result file {name}: {reason}", name)

    def __repr__(self) -> str:
        return f"<vellmor.Result {self.status}>"


class Solution(_Outcome):
    """The converged model's solution: ``status``, ``message``, ``summary``,
    ``process_numbers``, ``profile`` (x_cm, v_m_min, f_dyn, t_C, d_um, ta_C, h_cal_cm2_s_C, and
    with the structure stress_dyn_cm2, birefringence, orientation, crystallinity),
    ``structure`` (birefringence, orientation, crystallinity, onset_cm, coupled; or None),
    ``sensitivities`` ({output: {parameter: elasticity}} or None), ``model`` (the card used)
    and ``to_pandas()``."""

    @property
    def structure(self) -> Optional[dict]:
        return self.document["structure"]

    @property
    def sensitivities(self) -> Optional[dict]:
        return self.document["sensitivities"]

    @property
    def model(self) -> dict:
        """The card as used, as the JSON's model object."""
        return self.document["model"]

    def __repr__(self) -> str:
        return f"<vellmor.Solution {self.status}>"


class ResultFile:
    """A result file read back: ``condition`` (its header's values under the input names),
    ``profile`` (its table as NumPy arrays, in the export's columns), ``complete`` (the table
    ends with its two empty lines), ``decimal_separator``, and ``to_pandas()``."""

    def __init__(self, out: dict):
        self.condition = {name.replace("-", "_"): value for name, value in out["condition"].items()}
        self.profile = out["profile"]
        self.complete = out["complete"]
        self.decimal_separator = out["decimal_separator"]

    def to_pandas(self):
        return _frame(self.profile)


# ---------------------------------------------------------------------------------------------
# The calls


def run(raise_on_failure: bool = True, **inputs) -> Result:
    """The classical run of one case, in memory: what ``vellmor-cli`` computes and writes,
    without writing anything (``Result.write(path)`` writes the result file).

    Raises InputError for a refused input, CalculationError when the numerics give up; with
    ``raise_on_failure=False`` the refused or failed Result is returned instead.

    Inputs (keyword = default: meaning, unit):
{inputs}
    """
    out = _engine.run(_input_texts(inputs))
    result = Result(out)
    if result.status != "succeeded" and raise_on_failure:
        raise result._error()
    return result


def solve(
    model: Union[Model, str, os.PathLike, None] = None,
    model_set: Union[Mapping[str, Any], Iterable[str], None] = None,
    structure: bool = False,
    points: int = 1001,
    at: Optional[Iterable[float]] = None,
    sensitivities: bool = False,
    raise_on_failure: bool = True,
    **inputs,
) -> Solution:
    """The converged model of one case (``vellmor-cli solve``), with a model card.

    model: a Model, a card's path, or None for the built-in card; model_set: settings applied
    after it ({"heat_transfer.factor": 2e-4} or ["heat_transfer.factor=2e-4"]); structure:
    follow the fibre's birefringence, orientation and crystallinity; points: evenly spaced
    profile positions from the spinneret to the take-up point; at: the positions (cm) instead;
    sensitivities: the elasticities of the results to every input and card constant.

    Raises InputError, CalculationError or ModelCardError; ``raise_on_failure=False`` returns
    a refused or failed Solution instead (a refused card still raises).

    Inputs (keyword = default: meaning, unit):
{inputs}
    """
    card = _card_of(model, model_set)
    if isinstance(points, bool) or not isinstance(points, int) or points < 0:
        raise ValueError(f"points: expected 0 or more, not {points!r}")
    positions = None if at is None else [float(x) for x in at]
    out = _engine.solve(_input_texts(inputs, allow_save_file=False), card._card, bool(structure),
                        points, positions, bool(sensitivities))
    solution = Solution(out)
    if solution.status != "succeeded" and raise_on_failure:
        raise solution._error()
    return solution


def _option_name(name: str) -> str:
    """A keyword's or column's runner name: an input's with '-', a card key as it is."""
    return _OPTION_OF.get(name, name)


def _values_text(values: Any, name: str) -> str:
    if isinstance(values, str):
        return values  # a range "start:stop:step", or texts as the runner takes them
    if isinstance(values, range):
        values = list(values)
    texts = [_number_text(v, name) for v in values]
    if not texts:
        raise ValueError(f"vary {name}: no values")
    return ";".join(texts)


def _table_text(table: Any, what: str) -> tuple:
    """The CSV text and name of a cases or measurements table: a file's path, or a DataFrame
    (its columns under the inputs' keywords or the runner's names)."""
    if isinstance(table, (str, os.PathLike)):
        name = os.fspath(table)
        try:
            with open(name, "rb") as file:
                data = file.read(_MAX_TABLE_BYTES + 1)
        except OSError as error:
            raise FileError(f"{what} {name}: the file can not be read ({error.strerror})",
                            name) from None
        if len(data) > _MAX_TABLE_BYTES:
            raise FileError(f"{what} {name}: larger than 64 MiB", name)
        return data.decode("utf-8", errors="replace"), name
    frame = table.rename(columns=lambda c: _option_name(str(c)))
    return frame.to_csv(index=False, float_format=None, lineterminator="\n"), f"<{what} DataFrame>"


def _read_summary(text: str):
    import pandas

    frame = pandas.read_csv(io.StringIO(text), float_precision="round_trip",
                            keep_default_na=False, na_values=[""])
    for column in ("status", "message", "warnings", "converged_message"):
        if column in frame.columns:
            frame[column] = frame[column].fillna("").astype(str)
    frame.attrs["summary_csv"] = text
    return frame


def read_summary(path: Union[str, os.PathLike]):
    """A summary CSV that ``vellmor-cli sweep`` wrote, read as ``sweep`` returns its own."""
    text, _ = _table_text(path, "summary")
    return _read_summary(text)


def _default_jobs() -> int:
    try:
        return max(1, len(os.sched_getaffinity(0)))
    except (AttributeError, OSError):
        return max(1, os.cpu_count() or 1)


def sweep(
    vary: Optional[Mapping[str, Any]] = None,
    cases: Any = None,
    jobs: Optional[int] = None,
    solve: bool = False,
    structure: bool = False,
    accuracy: bool = False,
    model: Union[Model, str, os.PathLike, None] = None,
    model_set: Union[Mapping[str, Any], Iterable[str], None] = None,
    **base,
):
    """Many cases at once (``vellmor-cli sweep``): a pandas DataFrame with one row per case,
    the columns and values of the runner's summary CSV (its text in ``.attrs["summary_csv"]``).

    vary: {input or card key: values}, each a list, a range, or a text "start:stop:step" (or
    "3000;4000"); every combination is a case, the first key varying slowest. cases: a
    DataFrame or a CSV file of cases instead, one per row. jobs: threads (default: every core
    this process may run on); the interpreter is free while they run. solve: the converged
    model with the card (model, model_set) for every case; structure: with solve, the fibre's
    four numbers too; accuracy: the classical cases beside their converged solutions. The
    other keywords are the base inputs every case starts from.

    Ctrl-C stops the sweep as it stops the runner: the cases running finish and
    SweepInterrupted (a KeyboardInterrupt) is raised, holding the finished rows.
    """
    if vary is not None and cases is not None:
        raise ValueError("give the cases either as cases or by vary")
    if structure and not solve:
        raise ValueError("structure: the structure is the converged model's (solve=True)")
    if solve and accuracy:
        raise ValueError("accuracy: with solve every case is the converged solution already")
    if not solve and (model is not None or model_set):
        raise ValueError("model: a model card is for the converged model (solve=True)")
    if jobs is None:
        jobs = _default_jobs()
    if isinstance(jobs, bool) or not isinstance(jobs, int) or not 1 <= jobs <= 1024:
        raise ValueError(f"jobs: expected 1 to 1024, not {jobs!r}")
    base_texts = _input_texts(base, allow_save_file=False)
    varied = []
    for name, values in (vary or {}).items():
        option = _option_name(name)
        if option in base_texts:
            raise ValueError(f"vary {name}: the input is also given as {name}=")
        varied.append(f"{option}={_values_text(values, name)}")
    cases_text, cases_source = (None, "")
    if cases is not None:
        cases_text, cases_source = _table_text(cases, "cases")
    card = _card_of(model, model_set)._card if solve else None
    try:
        out = _engine.sweep(base_texts, varied, cases_text, cases_source, jobs, bool(solve),
                            bool(structure), bool(accuracy), card)
    except ValueError as error:
        raise InputError(str(error)) from None
    summary = _read_summary(out["summary"])
    if out["interrupted"]:
        raise SweepInterrupted(summary, out["finished"], out["total"])
    return summary


class FitResult:
    """A fit of card constants to measurements: ``estimates`` {key: value}, ``standard_errors``,
    ``intervals`` {key: {"wald_95": [lo, hi], "profile_95": [lo, hi] or None}},
    ``correlation`` (a DataFrame over the keys), ``chi_square``, ``degrees_of_freedom``,
    ``residuals`` (a DataFrame: case, x_cm, quantity, measured, model, sigma, normalised),
    ``model`` (the fitted card), ``document`` (the runner's fit JSON) and ``to_pandas()`` (one
    row per constant)."""

    def __init__(self, document: dict, card: Any):
        self.document = document
        self.model = Model(card) if card is not None else None
        parameters = document.get("parameters", [])
        self.keys = [p["key"] for p in parameters]
        self.estimates = {p["key"]: p["estimate"] for p in parameters}
        self.standard_errors = {p["key"]: p["standard_error"] for p in parameters}
        self.intervals = {
            p["key"]: {"wald_95": p["wald_95"], "profile_95": p["profile_95"]} for p in parameters
        }
        self.chi_square = document.get("chi_square")
        self.degrees_of_freedom = document.get("degrees_of_freedom")
        self.warnings = document.get("warnings", [])

    @property
    def correlation(self):
        import pandas

        return pandas.DataFrame(self.document.get("correlation", []), index=self.keys,
                                columns=self.keys)

    @property
    def residuals(self):
        import pandas

        rows = []
        for case in self.document.get("cases", []):
            for r in case["residuals"]:
                rows.append({"case": case["case"], **r})
        return pandas.DataFrame(rows, columns=["case", "x_cm", "quantity", "measured", "model",
                                               "sigma", "normalised", "line"])

    def to_pandas(self):
        import pandas

        rows = []
        for p in self.document.get("parameters", []):
            wald = p["wald_95"] or [None, None]
            profile = p["profile_95"] or [None, None]
            rows.append({"key": p["key"], "estimate": p["estimate"],
                         "standard_error": p["standard_error"], "wald_95_low": wald[0],
                         "wald_95_high": wald[1], "profile_95_low": profile[0],
                         "profile_95_high": profile[1], "at_bound": p["at_bound"]})
        return pandas.DataFrame(rows).set_index("key") if rows else pandas.DataFrame()

    def __repr__(self) -> str:
        return f"<vellmor.FitResult {self.estimates}>"


def _fit_texts(fit: Any) -> list:
    if isinstance(fit, str):
        return [fit]
    if isinstance(fit, Mapping):
        texts = []
        for key, start in fit.items():
            if start is None:
                texts.append(key)
            elif isinstance(start, (tuple, list)):
                value, low, high = start
                texts.append(f"{key}={_number_text(value, key)}:{_number_text(low, key)}:"
                             f"{_number_text(high, key)}")
            else:
                texts.append(f"{key}={_number_text(start, key)}")
        return texts
    return [str(f) for f in fit]


def fit(
    measured: Any,
    fit: Any,
    cases: Any = None,
    model: Union[Model, str, os.PathLike, None] = None,
    model_set: Union[Mapping[str, Any], Iterable[str], None] = None,
    suggest: Optional[int] = None,
    candidates: Any = None,
    max_iterations: int = 100,
    profile: bool = True,
    **base,
) -> FitResult:
    """Card constants fitted to measurements on the line (``vellmor-cli fit``).

    measured: a CSV file or a DataFrame with x_cm, quantity (diameter_um, temperature_C,
    velocity_m_min, tension_dyn, birefringence, crystallinity), value and optionally sigma
    and case. fit: the constants, "KEY", "KEY=START" or "KEY=START:LO:HI", a list of them, or
    {key: start or (start, lo, hi) or None}. cases: the operating conditions (a CSV file or
    DataFrame with a column case), else the base inputs are the one case. suggest with
    candidates: the candidate measurements that would pin the constants down best. profile:
    the profile-likelihood intervals (a few fits per constant).

    Raises InputError for data, cases or constants refused before fitting, CalculationError
    (kind "start_failed" or "not_converged", ``last`` the last iterate) when the fit fails.
    """
    if (suggest is None) != (candidates is None):
        raise ValueError("suggest and candidates: give both or neither")
    if suggest is not None and (isinstance(suggest, bool) or not isinstance(suggest, int)
                                or suggest < 1):
        raise ValueError(f"suggest: expected 1 or more, not {suggest!r}")
    if isinstance(max_iterations, bool) or not isinstance(max_iterations, int) \
            or max_iterations < 1:
        raise ValueError(f"max_iterations: expected 1 or more, not {max_iterations!r}")
    card = _card_of(model, model_set)
    measured_text, measured_source = _table_text(measured, "measured")
    cases_text, cases_source = (None, "")
    if cases is not None:
        cases_text, cases_source = _table_text(cases, "cases")
    candidates_text, candidates_source = (None, "")
    if candidates is not None:
        candidates_text, candidates_source = _table_text(candidates, "candidates")
    out = _engine.fit(_input_texts(base, allow_save_file=False), card._card, measured_text,
                      measured_source, cases_text, cases_source, _fit_texts(fit), suggest or 0,
                      candidates_text, candidates_source, max_iterations, bool(profile))
    if out["refused"] is not None:
        raise InputError(out["refused"])
    result = FitResult(_with_program(out["document"]), out["fitted_card"])
    if out["failure"] == "refused":
        raise InputError(out["message"])
    if out["failure"] is not None:
        error = CalculationError(out["message"], out["failure"])
        error.last = result if "parameters" in out["document"] else None
        raise error
    return result


def read_result_file(path: Union[str, os.PathLike]) -> ResultFile:
    """A result file read back, as the viewer reads it; FileError names the line that is not
    as a result file has it."""
    name = os.fspath(path)
    out = _engine.read_result_file(name)
    if "error" in out:
        raise FileError(f"{name}: {out['error']}", name)
    return ResultFile(out)


run.__doc__ = run.__doc__.replace("{inputs}", _inputs_doc())
solve.__doc__ = solve.__doc__.replace("{inputs}", _inputs_doc(exclude=("save-file",)))
