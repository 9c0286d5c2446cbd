"""Vellmor from Python: the steady spinline of one PET filament in melt spinning.

The same engine as ``vellmor-cli`` and the window, in memory: the same input texts, checks and
messages, and for the same inputs the same numbers, bit for bit.

    >>> import vellmor
    >>> result = vellmor.run(take_up_speed=4000)
    >>> result.process_numbers["freeze_point_cm"]
    >>> card = vellmor.Model.builtin().set("heat_transfer.factor", 2e-4)
    >>> vellmor.solve(model=card, structure=True).structure["birefringence"]
    >>> vellmor.sweep(vary={"take_up_speed": range(3000, 6001, 500)})   # a pandas DataFrame

Every call is a request of the engine's, as every command of ``vellmor-cli`` is: its keywords
are the parameters' keys (``take_up_speed``, ``max_iterations``), the same names the JSON
documents and the sweep's columns use, and the engine decides what they may hold, with the same
rules and messages for every front end. A value may be a number or the text a user would type
("4000.0"); either way it is read by the same conversion and checks as the window's fields.
Units are those of the window: cm, g/min, m/min, °C, cm/s. ``help(vellmor.run)`` lists every
keyword with its default.

Failures are exceptions carrying the engine's typed kind: InputError, CalculationError,
ModelCardError, FileError. The engine clears and restores the thread's floating-point flags
around every call, so neither NumPy nor the engine sees the other's.
"""

from __future__ import annotations

import inspect
import io
import os
import sys
import warnings
from typing import Any, Optional, Union

from . import _engine

__version__ = _engine.__version__

__all__ = [
    "run",
    "solve",
    "sweep",
    "merge_shards",
    "fit",
    "read_result_file",
    "read_document",
    "Document",
    "read_summary",
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

# ---------------------------------------------------------------------------------------------
# Exceptions


class VellmorError(Exception):
    """A failure of a Vellmor call; its text is the engine's message."""

    def __init__(self, message: str):
        super().__init__(message)
        self.message = message


class InputError(VellmorError, ValueError):
    """An input or parameter the engine refused: ``message`` is its text (the window's own for
    an input field: "Value of Take-up Speed is not correct"), ``key`` the parameter it is
    about, ``check`` the check that refused an input field: the field's key ("take_up_speed"),
    "number" for a text that is not a number, "too_many_points" or "too_few_points" for a
    profile that does not fit, or None."""

    def __init__(self, message: str, check: Optional[str] = None, key: Optional[str] = None):
        super().__init__(message)
        self.check = check
        self.key = key


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
    """A model card, or a setting of one, refused: ``file`` (the card's name, or "model_set"
    for a setting), ``line`` (1-based, None for the card as a whole) and ``key`` (the dotted
    key it is about, or None)."""

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


def _problem_error(problem: dict) -> Exception:
    """The exception of a problem the engine found with a request."""
    if problem["card"] is not None:
        card = problem["card"]
        return ModelCardError(problem["message"], card["file"], card["line"], card["key"])
    if problem["kind"] == "unreadable":
        return FileError(problem["message"])
    if problem["kind"] == "wrong_kind":
        return TypeError(problem["message"])
    return InputError(problem["message"], key=problem["key"])


# ---------------------------------------------------------------------------------------------
# The engine's commands and their parameters

_COMMANDS = _engine.commands()
_FIELDS = _engine.input_fields()  # (key, description, default text, numeric)


def _keywords(command: str) -> list:
    """The keywords of a command, as the engine's table has them: the input fields it takes,
    then its parameters."""
    info = _COMMANDS[command]
    fields = [key for key, _, _, numeric in _FIELDS
              if info["inputs"] == "all" or (info["inputs"] == "numeric" and numeric)]
    return fields + [p["key"] for p in info["parameters"]]


def _check_keywords(command: str, given: dict, own: tuple = ()) -> None:
    """A keyword the command does not take is a TypeError, as for any Python call; the result
    file's name the engine refuses itself, saying why a command of the numbers takes none."""
    known = set(_keywords(command)) | set(own)
    if _COMMANDS[command]["inputs"] != "none":
        known.add("save_file")
    for name in given:
        if name not in known:
            raise TypeError(f"{command}() got an unexpected keyword argument {name!r}")


def _python_value(key: str, value: Any) -> Any:
    """A Python value in the form the engine takes: paths as texts, a DataFrame as its CSV
    text under a name, a Model as its card's text, a range or an array as a list."""
    if isinstance(value, os.PathLike):
        return os.fspath(value)
    if isinstance(value, Model):
        return _engine.Source(f"<Model {value.name}>", value.to_yaml())
    if hasattr(value, "to_csv") and hasattr(value, "columns"):
        return _engine.Source(f"<{key} DataFrame>",
                              value.to_csv(index=False, float_format=None, lineterminator="\n"))
    if isinstance(value, range):
        return list(value)
    if hasattr(value, "tolist") and not isinstance(value, (str, bytes)):
        return value.tolist()
    if isinstance(value, (list, tuple)):
        return [_python_value(key, v) for v in value]
    if isinstance(value, dict):
        return {k: _python_value(key, v) for k, v in value.items()}
    return value


def _values(command: str, given: dict) -> dict:
    return {key: _python_value(key, value) for key, value in given.items() if value is not None}


def _command_line() -> list:
    return [str(a) for a in sys.argv]


def _warn(messages) -> None:
    for message in messages or ():
        warnings.warn(message, UserWarning, stacklevel=3)


def _document_of(command: str, own: str, intro: str) -> str:
    """The docstring of a command's function, made from the engine's table."""
    info = _COMMANDS[command]
    lines = [intro, "", "Keywords (default: meaning):"]
    for p in info["parameters"]:
        default = {"flag": "False", "switch": "True"}.get(p["kind"], p["default"] or "None")
        required = ", required" if p["required"] else ""
        lines.append(f"    {p['key']} = {default}{required}: {p['help']}")
    if own:
        lines.append(own)
    if info["inputs"] != "none":
        lines += ["", "Inputs (keyword = default: meaning, unit):"]
        for key, description, default, numeric in _FIELDS:
            if info["inputs"] == "all" or numeric:
                lines.append(f"    {key} = {default!r}: {description}")
    return "\n".join(lines)


def _signature(command: str, own: list, positional: tuple) -> inspect.Signature:
    """The keywords of a command's function as inspect, help() and editors show them; the
    positional ones first."""
    info = _COMMANDS[command]
    parameters = [inspect.Parameter(name, inspect.Parameter.POSITIONAL_OR_KEYWORD)
                  for name in positional]
    parameters += [inspect.Parameter(p["key"], inspect.Parameter.KEYWORD_ONLY,
                                     default={"flag": False, "switch": True}.get(p["kind"]))
                   for p in info["parameters"] if p["key"] not in positional]
    parameters += [inspect.Parameter(name, inspect.Parameter.KEYWORD_ONLY, default=default)
                   for name, default in own]
    for key, _, default, numeric in _FIELDS:
        if info["inputs"] == "all" or (info["inputs"] == "numeric" and numeric):
            parameters.append(inspect.Parameter(key, inspect.Parameter.KEYWORD_ONLY,
                                                default=default))
    return inspect.Signature(parameters)


def _describe(function, command: str, own: list, own_doc: str = "",
              positional: tuple = ()) -> None:
    function.__doc__ = _document_of(command, own_doc, inspect.cleandoc(function.__doc__ or ""))
    function.__signature__ = _signature(command, own, positional)


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
        """The card of a YAML text; ModelCardError names source, line and key. Constants the
        card leaves out keep their built-in values, and a UserWarning names them."""
        read = _engine.Card.read(text, source)
        if isinstance(read, dict):
            raise ModelCardError(read["message"], read["file"], read["line"], read["key"])
        card, left_out = read
        _warn(left_out)
        return cls(card)

    @classmethod
    def load(cls, path: Union[str, os.PathLike]) -> "Model":
        """The card of a YAML file, read as every command reads a card; constants it leaves
        out keep their built-in values, and a UserWarning names them."""
        name = os.fspath(path)
        read = _engine.Card.load(name)
        if isinstance(read, dict):
            if read["unreadable"]:
                raise FileError(read["message"], name)
            raise ModelCardError(read["message"], read["file"], read["line"], read["key"])
        card, left_out = read
        _warn(left_out)
        return cls(card)

    def set(self, key: str, value: Any) -> "Model":
        """Sets one constant (a number or its text; ``structure.coupled`` True or False; ``name``
        a text) and returns the card. ModelCardError when the key is unknown or the value
        makes its law meaningless; the card is left as it was then."""
        if isinstance(value, bool):
            text = "true" if value else "false"
        elif isinstance(value, str):
            text = value
        else:
            text = repr(float(value)) if isinstance(value, float) else str(value)
        problem = self._card.apply(f"{key}={text}")
        if problem is not None:
            raise ModelCardError(f"{problem['setting']}: {problem['message']}", problem["file"],
                                 problem["line"], problem["key"])
        return self

    def get(self, key: str) -> Union[float, bool, str]:
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


# ---------------------------------------------------------------------------------------------
# Results


def _frame(columns: dict):
    import pandas

    return pandas.DataFrame({name: values for name, values in columns.items()})


class _Outcome:
    """What a run or a solve gives back: its document (the runner's JSON, the profile as
    arrays instead)."""

    def __init__(self, out: dict):
        self.document: dict = out["document"]
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
        """Each input's text and value, under the input's key."""
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
    ``sensitivities`` ({output: {parameter: elasticity}} or None), ``model`` (the card used),
    ``uncertainty`` (with a fitted card: the method, the keys and each number's lo, hi and
    standard_deviation; or None), ``intervals`` ({number: (lo, hi)}) and ``to_pandas()``; with
    intervals the profile has a NAME_lo and NAME_hi band beside each column."""

    @property
    def structure(self) -> Optional[dict]:
        return self.document["structure"]

    @property
    def uncertainty(self) -> Optional[dict]:
        """The 95 % intervals from the card's uncertainty section, as the JSON's object."""
        return self.document.get("uncertainty")

    @property
    def intervals(self) -> dict:
        """Every process number's and the structure's 95 % interval as (lo, hi); {} without."""
        u = self.uncertainty
        if not u:
            return {}
        out = {}
        for part in ("process_numbers", "structure"):
            for key, entry in (u.get(part) or {}).items():
                if entry["lo"] is not None:
                    out[key] = (entry["lo"], entry["hi"])
        return out

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
    """A result file read back: ``condition`` (its header's values under the inputs' keys),
    ``profile`` (its table as NumPy arrays, in the export's columns), ``complete`` (the table
    ends with its two empty lines), ``decimal_separator``, and ``to_pandas()``."""

    def __init__(self, out: dict):
        self.condition = out["condition"]
        self.profile = out["profile"]
        self.complete = out["complete"]
        self.decimal_separator = out["decimal_separator"]

    def to_pandas(self):
        return _frame(self.profile)


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


# ---------------------------------------------------------------------------------------------
# The calls


def run(raise_on_failure: bool = True, **keywords) -> Result:
    """The classical run of one case, in memory: what ``vellmor-cli`` computes and writes,
    without writing the result file (``Result.write(path)`` writes it); the exports json, csv
    and converged_csv are written where they are named.

    Raises InputError for a refused input, CalculationError when the numerics give up; with
    ``raise_on_failure=False`` the refused or failed Result is returned instead.
    """
    _check_keywords("run", keywords)
    out = _engine.run(_values("run", keywords), _command_line())
    if out["problem"] is not None:
        raise _problem_error(out["problem"])
    result = Result(out)
    if result.status != "succeeded" and raise_on_failure:
        raise result._error()
    return result


def solve(raise_on_failure: bool = True, **keywords) -> Solution:
    """The converged model of one case (``vellmor-cli solve``), with a model card: model is a
    Model or a card's path, model_set settings applied after it ({"heat_transfer.factor": 2e-4}
    or ["heat_transfer.factor=2e-4"]); at is a list of positions (cm).

    Raises InputError, CalculationError or ModelCardError; ``raise_on_failure=False`` returns
    a refused or failed Solution instead (a refused card still raises).
    """
    _check_keywords("solve", keywords)
    out = _engine.solve(_values("solve", keywords), _command_line())
    if out["problem"] is not None:
        raise _problem_error(out["problem"])
    _warn(out["warnings"])
    solution = Solution(out)
    if solution.status != "succeeded" and raise_on_failure:
        raise solution._error()
    return solution


def _read_summary(text: str):
    import pandas

    frame = pandas.read_csv(io.StringIO(text), float_precision="round_trip",
                            keep_default_na=False, na_values=[""])
    for column in ("status", "message", "warnings", "converged_message"):
        if column in frame.columns:
            frame[column] = frame[column].fillna("").astype(str)
    frame.attrs["summary_csv"] = text
    return frame


def _summary_text(path: str) -> str:
    try:
        with open(path, encoding="utf-8", errors="replace", newline="") as file:
            return file.read()
    except OSError as error:
        raise FileError(f"{path}: the file can not be read ({error.strerror})", path) from None


def read_summary(path: Union[str, os.PathLike]):
    """A summary CSV that ``vellmor-cli sweep`` wrote, read as ``sweep`` returns its own."""
    return _read_summary(_summary_text(os.fspath(path)))


def sweep(**keywords):
    """Many cases at once (``vellmor-cli sweep``): a pandas DataFrame with one row per case,
    the columns and values of the runner's summary CSV (its text in ``.attrs["summary_csv"]``).

    vary is {input or card key: values}, each a list, a range, or a text "start:stop:step" (or
    "3000;4000"); every combination is a case, the first key varying slowest. cases is a
    DataFrame or a CSV file of cases instead, one per row. The interpreter is free while the
    jobs run. With summary the summary is written there too (and its sweep's record beside it),
    so that resume can complete it and merge_shards merge its shards.

    Ctrl-C stops the sweep as it stops the runner: the cases running finish and
    SweepInterrupted (a KeyboardInterrupt) is raised, holding the finished rows.
    """
    _check_keywords("sweep", keywords)
    out = _engine.sweep(_values("sweep", keywords), _command_line())
    if out["problem"] is not None:
        raise _problem_error(out["problem"])
    _warn(out["warnings"])
    if out["ending"] == "refused":
        raise InputError(out["message"])
    if out["ending"] == "cant_write":
        raise FileError(out["message"], out["summary_path"] or None)
    text = out["summary"] if not out["summary_path"] else _summary_text(out["summary_path"])
    summary = _read_summary(text)
    if out["interrupted"]:
        raise SweepInterrupted(summary, out["finished"], out["total"])
    return summary


def merge_shards(shards, **keywords):
    """The summary of a sweep from the summaries of its shards (``vellmor-cli sweep merge``),
    as a DataFrame: shards are the shard summaries' paths, in any order, each with its sweep's
    record beside it. With output the merged summary is written there too. Shards of another
    sweep, a case in two shards and, unless allow_missing, a case in none raise InputError; the
    cases missing are named in a UserWarning with allow_missing."""
    keywords["shards"] = [os.fspath(s) for s in shards]
    _check_keywords("sweep merge", keywords)
    out = _engine.merge(_values("sweep merge", keywords), _command_line())
    if out["problem"] is not None:
        raise _problem_error(out["problem"])
    if out["ending"] == "refused":
        raise InputError(out["message"])
    if out["ending"] in ("unreadable", "cant_write"):
        raise FileError(out["message"])
    if out["missing_message"]:
        _warn([out["missing_message"]])
    output = keywords.get("output")
    return _read_summary(out["summary"] if output is None else _summary_text(os.fspath(output)))


def fit(measured: Any = None, fit: Any = None, **keywords) -> FitResult:
    """Card constants fitted to measurements on the line (``vellmor-cli fit``).

    measured is a CSV file or a DataFrame with x_cm, quantity (diameter_um, temperature_C,
    velocity_m_min, tension_dyn, birefringence, crystallinity), value and optionally sigma and
    case; fit the constants, "KEY", "KEY=START" or "KEY=START:LO:HI", or a list of them; cases
    the operating conditions (a CSV file or DataFrame with a column case), else the inputs are
    the one case.

    Raises InputError for data, cases or constants refused before fitting, CalculationError
    (kind "start_failed" or "not_converged", ``last`` the last iterate) when the fit fails.
    """
    keywords.update(measured=measured, fit=fit)
    if isinstance(keywords.get("fit"), dict):
        # {key: None, key: start, key: (start, lo, hi)}: the texts KEY, KEY=START, KEY=START:LO:HI.
        keywords["fit"] = [
            key if start is None else
            f"{key}=" + ":".join(map(str, start if isinstance(start, (tuple, list)) else [start]))
            for key, start in keywords["fit"].items()]
    _check_keywords("fit", keywords)
    out = _engine.fit(_values("fit", keywords), _command_line())
    if out["problem"] is not None:
        raise _problem_error(out["problem"])
    _warn(out["warnings"])
    result = FitResult(out["document"], out["fitted_card"])
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


class Document:
    """A document Vellmor wrote, read back by the engine's readers (of every schema so far):
    ``kind`` ("run_json", "solve_json", "profile_csv", "fit_json"), ``schema_version`` (0 for
    a CSV). A profile's document has ``profile`` (NumPy arrays in today's columns and units,
    whatever version wrote it), ``process_numbers``, ``structure`` (or None), ``converged``
    and ``to_pandas()``; a fit's has ``cases`` (each with its inputs' texts and its
    measurements) and ``model``, the fitted card."""

    def __init__(self, out: dict):
        self.kind = out["kind"]
        self.schema_version = out["schema_version"]
        self.profile = out.get("profile")
        self.process_numbers = out.get("process_numbers")
        self.structure = out.get("structure")
        self.converged = out.get("converged")
        self.cases = out.get("cases")
        self.model = Model(out["card"]) if out.get("card") is not None else None

    def to_pandas(self):
        return _frame(self.profile or {})

    def __repr__(self) -> str:
        return f"<vellmor.Document {self.kind}>"


def read_document(path: Union[str, os.PathLike]) -> Document:
    """A JSON or CSV export, or a fit's JSON, read as the viewer reads it; FileError says why
    a file is not one. A fitted card that leaves out constants reads with the built-in ones,
    named in a UserWarning."""
    name = os.fspath(path)
    out = _engine.read_document(name)
    if "error" in out:
        raise FileError(out["error"], name)
    _warn(out.get("warnings"))
    return Document(out)


class Reply:
    """What a command of a reply alone gives back: ``summary`` (what the runner prints),
    ``messages`` (what it says on standard error) and ``document``."""

    def __init__(self, out: dict):
        self.status = out["status"]
        self.summary = out["summary"]
        self.messages = out["messages"]
        self.document = out["document"]

    def __repr__(self) -> str:
        return f"<vellmor.Reply {self.status}>"


def _reply_command(command: str):
    """The function of a command that answers with a reply alone: any such command of the
    engine's table is a function of the package, with no code of its own here."""

    def call(**keywords) -> Reply:
        _check_keywords(command, keywords)
        out = _engine.execute(command, _values(command, keywords), _command_line())
        if out["problem"] is not None:
            raise _problem_error(out["problem"])
        reply = Reply(out)
        if reply.status not in ("done", "outputs"):
            raise CalculationError("; ".join(reply.messages), reply.status)
        return reply

    call.__name__ = call.__qualname__ = command.replace(" ", "_")
    call.__doc__ = _COMMANDS[command]["summary"] + "."
    _describe(call, command, [])
    return call


for _command, _info in _COMMANDS.items():
    if _info["reply"]:
        globals()[_command.replace(" ", "_")] = _reply_command(_command)
        __all__.append(_command.replace(" ", "_"))


_describe(run, "run", [("raise_on_failure", True)],
          "    raise_on_failure = True: raise for a refused or failed run")
_describe(solve, "solve", [("raise_on_failure", True)],
          "    raise_on_failure = True: raise for a refused or failed solution")
_describe(sweep, "sweep", [])
_describe(fit, "fit", [], positional=("measured", "fit"))
_describe(merge_shards, "sweep merge", [], positional=("shards",))
