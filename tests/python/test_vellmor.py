"""The Python module against the runner: for the same inputs, the same values bit for bit,
the same result file bytes, the same summaries; every exception kind provoked; threads; and
the caller's floating-point flags left as they were."""

import ctypes
import json
import os
import signal
import subprocess
import sys
import threading

import numpy as np
import pandas as pd
import pytest

import vellmor

CLI = os.environ["VELLMOR_CLI"]


def runner(tmp_path, *args, check=True):
    """vellmor-cli with args in tmp_path, its standard output as text."""
    done = subprocess.run([CLI, *args], cwd=tmp_path, capture_output=True, text=True,
                          env={**os.environ, "LC_ALL": "C"})
    if check:
        assert done.returncode in (0, 1, 2), done.stderr
    return done


def runner_json(tmp_path, *args):
    runner(tmp_path, *args, "--json", "doc.json")
    return json.loads((tmp_path / "doc.json").read_text())


# --- run -------------------------------------------------------------------------------------

@pytest.mark.parametrize("inputs,options", [
    ({}, []),
    ({"take_up_speed": 4000}, ["--take-up-speed", "4000"]),
    ({"zone1_air_velocity": "35.5", "increment": 0.5},
     ["--zone1-air-velocity", "35.5", "--increment", "0.5"]),
])
def test_run_equals_the_runner_bit_for_bit(tmp_path, inputs, options):
    document = runner_json(tmp_path, *options, "-o", "result.txt")
    result = vellmor.run(**inputs)
    assert result.status == "succeeded" and result.message is None
    for key in ("inputs", "summary", "process_numbers", "passes", "warnings"):
        assert result.document[key] == document[key], key
    assert list(result.profile) == list(document["profile"])
    for column, values in document["profile"].items():
        assert result.profile[column].dtype == np.float64
        assert result.profile[column].tolist() == values, column
    expected = (tmp_path / "result.txt").read_bytes()
    assert result.result_file_bytes() == expected
    result.write(tmp_path / "again.txt")
    assert (tmp_path / "again.txt").read_bytes() == expected
    frame = result.to_pandas()
    assert list(frame.columns) == list(document["profile"]) and len(frame) == len(frame.x_cm)


def test_the_readme_one_liner_prints_the_runners_number(tmp_path):
    document = runner_json(tmp_path, "--take-up-speed", "4000", "-o", "r.txt")
    printed = subprocess.run(
        [sys.executable, "-c", "import vellmor; print(vellmor.run(take_up_speed=4000)"
                          ".process_numbers['freeze_point_cm'])"],
        capture_output=True, text=True, check=True, env=os.environ)
    assert float(printed.stdout) == document["process_numbers"]["freeze_point_cm"]


def test_refused_inputs_raise_input_error_with_the_windows_text_and_check(tmp_path):
    with pytest.raises(vellmor.InputError) as refused:
        vellmor.run(take_up_speed=-1)
    assert refused.value.message == "Value of Take-up Speed is not correct"
    assert refused.value.check == "take_up_speed"
    with pytest.raises(vellmor.InputError) as not_a_number:
        vellmor.run(hole_diameter="abc")
    assert not_a_number.value.check == "number"
    with pytest.raises(vellmor.InputError) as too_many:
        vellmor.run(increment=0.01)
    assert too_many.value.check == "too_many_points"
    # Without raising: the refused Result, as the runner's document says.
    document = runner_json(tmp_path, "--take-up-speed", "-1", "-o", "r.txt")
    result = vellmor.run(take_up_speed=-1, raise_on_failure=False)
    assert (result.status, result.message, result.passes) == (
        document["status"], document["message"], document["passes"])
    assert result.result_file_bytes() == b""
    with pytest.raises(TypeError, match="unexpected keyword argument 'take_up_sped'"):
        vellmor.run(take_up_sped=4000)
    with pytest.raises(TypeError):
        vellmor.run(take_up_speed=True)


def test_a_failed_calculation_raises_with_its_fault_position_and_pass(tmp_path):
    # Zone 1's air has the pole of its hyperbola at the spinneret.
    done = runner(tmp_path, "--zone1-a2", "0", "-o", "failed.txt")
    assert done.returncode == 2
    with pytest.raises(vellmor.CalculationError) as failed:
        vellmor.run(zone1_a2=0)
    error = failed.value
    assert error.kind == "division_by_zero"
    assert error.x_cm == 0.0 and error.pass_number == 1
    assert error.message in done.stderr
    # The failed run's result file is the header the runner leaves.
    assert error.result.result_file_bytes() == (tmp_path / "failed.txt").read_bytes()
    with pytest.raises(vellmor.FileError):
        error.result.write(tmp_path / "missing" / "r.txt")


# --- solve and the card ----------------------------------------------------------------------

def test_solve_with_a_changed_card_equals_the_runners_solve(tmp_path):
    document = runner_json(tmp_path, "solve", "--take-up-speed", "4500", "--structure",
                           "--sensitivities", "--model-set", "heat_transfer.factor=2e-4",
                           "--points", "11")
    card = vellmor.Model.builtin().set("heat_transfer.factor", 2e-4)
    solution = vellmor.solve(model=card, structure=True, sensitivities=True, points=11,
                             take_up_speed=4500)
    for key in ("inputs", "summary", "process_numbers", "structure", "model", "sensitivities"):
        assert solution.document[key] == document[key], key
    for column, values in document["profile"].items():
        assert solution.profile[column].tolist() == values, column
    # The card given is not changed by the call; a model_set works on a copy.
    assert card.get("heat_transfer.factor") == 2e-4
    again = vellmor.solve(model_set={"heat_transfer.factor": "2e-4"}, structure=True,
                          points=11, take_up_speed=4500)
    assert again.document["summary"] == document["summary"]


def test_solve_at_positions_and_its_failures(tmp_path):
    document = runner_json(tmp_path, "solve", "--at", "0,12.5,100")
    solution = vellmor.solve(at=[0, 12.5, 100])
    assert solution.profile["t_C"].tolist() == document["profile"]["t_C"]
    with pytest.raises(vellmor.InputError):
        vellmor.solve(at=[150])
    with pytest.raises(vellmor.CalculationError) as pole:
        vellmor.solve(zone1_a1=100, zone1_a2=-5.3)
    assert pole.value.kind == "air_pole_on_the_line" and pole.value.x_cm == 5.3
    failed = vellmor.solve(zone1_a1=100, zone1_a2=-5.3, raise_on_failure=False)
    assert failed.status == "failed" and failed.profile == {}


def test_model_cards_read_write_and_refuse_with_file_line_and_key(tmp_path):
    printed = runner(tmp_path, "model").stdout
    assert vellmor.Model.builtin().to_yaml() == printed
    (tmp_path / "card.yaml").write_text(printed.replace("factor_P: 0.273", "factor_P: 0.3"))
    card = vellmor.Model.load(tmp_path / "card.yaml")
    assert card.get("viscosity.factor_P") == 0.3 and card.name == "PET, built-in correlations"
    assert vellmor.Model.from_yaml(card.to_yaml()) == card

    (tmp_path / "bad.yaml").write_text(printed.replace("factor_P: 0.273", "factor_P: -1"))
    with pytest.raises(vellmor.ModelCardError) as bad:
        vellmor.Model.load(tmp_path / "bad.yaml")
    line = 1 + printed.splitlines().index(
        next(l for l in printed.splitlines() if "factor_P: 0.273" in l))
    assert (bad.value.file, bad.value.line, bad.value.key) == (
        str(tmp_path / "bad.yaml"), line, "viscosity.factor_P")
    with pytest.raises(vellmor.ModelCardError) as setting:
        vellmor.Model.builtin().set("viscosity.factor_P", -1)
    assert setting.value.key == "viscosity.factor_P" and setting.value.file == "model_set"
    with pytest.raises(vellmor.ModelCardError):
        vellmor.Model.builtin().set("viscosity.no_such_key", 1)
    with pytest.raises(vellmor.FileError):
        vellmor.Model.load(tmp_path / "missing.yaml")
    assert vellmor.Model.builtin().set("structure.coupled", True).get("structure.coupled")
    keys = [k[0] for k in vellmor.Model.keys()]
    assert "structure.coupled" in keys and keys[-1] == "bundle.drag_coefficient"
    # A key left out keeps its built-in value, and a warning says which.
    with pytest.warns(UserWarning, match="^old.yaml: viscosity.factor_P not given"):
        old = vellmor.Model.from_yaml(printed.replace("  factor_P: 0.273", "# "), "old.yaml")
    assert old.get("viscosity.factor_P") == 0.273


# --- sweep -----------------------------------------------------------------------------------

def test_a_sweep_from_python_is_the_runners_summary(tmp_path):
    runner(tmp_path, "sweep", "--vary", "take-up-speed=3000:5000:1000",
           "--vary", "zone2-air-velocity=30,60", "--jobs", "2", "--quiet",
           "--summary", "summary.csv")
    frame = vellmor.sweep(vary={"take_up_speed": "3000:5000:1000",
                                "zone2_air_velocity": [30, 60]}, jobs=2)
    assert frame.attrs["summary_csv"] == (tmp_path / "summary.csv").read_text()
    pd.testing.assert_frame_equal(frame, vellmor.read_summary(tmp_path / "summary.csv"))
    assert len(frame) == 6 and (frame.status == "succeeded").all()

    # The cases as a DataFrame, solved with the structure: as the runner's cases file.
    cases = pd.DataFrame({"take_up_speed": ["3000.0", "4000.0"], "heat_transfer.factor":
                          ["1.37e-4", "2e-4"]})
    cases.rename(columns={"take_up_speed": "take-up-speed"}).to_csv(
        tmp_path / "cases.csv", index=False)
    runner(tmp_path, "sweep", "--cases", "cases.csv", "--solve", "--structure", "--quiet",
           "--summary", "solved.csv")
    solved = vellmor.sweep(cases=cases, solve=True, structure=True, jobs=1)
    assert solved.attrs["summary_csv"] == (tmp_path / "solved.csv").read_text()
    assert "birefringence" in solved.columns


def test_sweep_refusals(tmp_path):
    with pytest.raises(vellmor.InputError, match="the step is zero"):
        vellmor.sweep(vary={"take_up_speed": "3000:6000:0"})
    with pytest.raises(ValueError, match="add solve"):
        vellmor.sweep(vary={"heat_transfer.factor": [1e-4]})
    with pytest.raises(ValueError):
        vellmor.sweep(structure=True)
    with pytest.raises(vellmor.FileError):
        vellmor.sweep(cases=tmp_path / "missing.csv")
    refused = vellmor.sweep(vary={"take_up_speed": [-1, 4000]}, jobs=1)
    assert refused.status.tolist() == ["refused", "succeeded"]
    assert refused.message[0] == "Value of Take-up Speed is not correct"


def test_two_python_threads_sweep_at_once():
    vary = {"take_up_speed": "3000:6000:250"}
    alone = vellmor.sweep(vary=vary, jobs=1).attrs["summary_csv"]
    results = [None, None]

    def sweep(i):
        results[i] = vellmor.sweep(vary=vary, jobs=1).attrs["summary_csv"]

    threads = [threading.Thread(target=sweep, args=(i,)) for i in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert results == [alone, alone]


def test_ctrl_c_stops_a_sweep_with_its_finished_rows():
    timer = threading.Timer(0.3, os.kill, (os.getpid(), signal.SIGINT))
    timer.start()
    try:
        with pytest.raises(vellmor.SweepInterrupted) as stopped:
            vellmor.sweep(vary={"take_up_speed": "1000:9000:0.01"}, jobs=2)
    finally:
        timer.cancel()
    interrupted = stopped.value
    assert isinstance(interrupted, KeyboardInterrupt)
    assert 0 < interrupted.finished < interrupted.total == 800001
    assert interrupted.summary.case.tolist() == list(range(1, interrupted.finished + 1))


# --- fit and result files --------------------------------------------------------------------

def test_fit_equals_the_runners_fit(tmp_path):
    # Diameters a little off the built-in line's, so that the heat transfer moves.
    measured = pd.DataFrame({"x_cm": [20.0, 40.0, 60.0], "quantity": ["diameter_um"] * 3,
                             "value": [29.0, 16.5, 14.2], "sigma": [0.5, 0.5, 0.5]})
    measured.to_csv(tmp_path / "line.csv", index=False)
    document = runner_json(tmp_path, "fit", "--measured", "line.csv", "--fit",
                           "heat_transfer.factor", "--no-profile")
    fitted = vellmor.fit(measured, "heat_transfer.factor", profile=False)
    assert fitted.document["program"]["name"] == "vellmor (Python)"
    assert document["program"]["name"] == "vellmor-cli"
    del fitted.document["program"], document["program"]
    assert fitted.document == document
    assert fitted.estimates == {"heat_transfer.factor": document["parameters"][0]["estimate"]}
    assert fitted.model.get("heat_transfer.factor") == fitted.estimates["heat_transfer.factor"]
    assert len(fitted.residuals) == 3 and list(fitted.to_pandas().index) == [
        "heat_transfer.factor"]
    with pytest.raises(vellmor.InputError, match="unknown quantity"):
        vellmor.fit(measured.assign(quantity="width_um"), "heat_transfer.factor")
    with pytest.raises(vellmor.CalculationError) as start:
        vellmor.fit(measured, "heat_transfer.factor", zone1_a1=100, zone1_a2=-5.3)
    assert start.value.kind == "start_failed"


def test_a_fitted_model_solves_with_the_runners_intervals(tmp_path):
    measured = pd.DataFrame({"x_cm": [20.0, 40.0, 60.0], "quantity": ["diameter_um"] * 3,
                             "value": [29.0, 16.5, 14.2], "sigma": [0.5, 0.5, 0.5]})
    measured.to_csv(tmp_path / "line.csv", index=False)
    runner(tmp_path, "fit", "--measured", "line.csv", "--fit", "heat_transfer.factor",
           "--no-profile", "--write-model", "fitted.yaml")
    document = runner_json(tmp_path, "solve", "--model", "fitted.yaml", "--points", "5")
    fitted = vellmor.fit(measured, "heat_transfer.factor", profile=False)
    solution = vellmor.solve(model=fitted.model, points=5)
    # The card in memory carries the fit's uncertainty as the written one does.
    assert solution.uncertainty == document["uncertainty"]
    lo, hi = solution.intervals["freeze_point_cm"]
    assert lo < solution.process_numbers["freeze_point_cm"] < hi
    assert list(solution.profile["t_C_lo"]) == document["profile"]["t_C_lo"]
    drawn = vellmor.solve(model=fitted.model, points=0, uncertainty="monte-carlo", samples=40,
                          seed=3)
    assert drawn.uncertainty["method"] == "monte-carlo" and drawn.uncertainty["seed"] == 3
    assert vellmor.solve(model=fitted.model, uncertainty="none").uncertainty is None
    with pytest.raises(vellmor.VellmorError, match="no uncertainty section"):
        vellmor.solve(uncertainty="delta")


def test_read_result_file(tmp_path):
    runner(tmp_path, "--take-up-speed", "4000", "-o", "r.txt")
    read = vellmor.read_result_file(tmp_path / "r.txt")
    assert read.condition["take_up_speed"] == 4000.0 and read.complete
    assert len(read.profile["x_cm"]) == 101 and read.to_pandas().shape == (101, 9)
    (tmp_path / "notes.txt").write_text("hello\n")
    with pytest.raises(vellmor.FileError, match="line 1"):
        vellmor.read_result_file(tmp_path / "notes.txt")


# --- the floating-point flags and the documentation ------------------------------------------

LIBM = ctypes.CDLL("libm.so.6")
FE_DIVBYZERO, FE_INEXACT, FE_ALL_EXCEPT = 0x04, 0x20, 0x3D


def test_the_callers_floating_point_flags_are_left_as_they_were():
    LIBM.feclearexcept(FE_ALL_EXCEPT)
    # A flag the caller raised (NumPy dividing by zero, say) is no fault of the engine's ...
    LIBM.feraiseexcept(FE_DIVBYZERO)
    assert vellmor.run().status == "succeeded"
    assert LIBM.fetestexcept(FE_ALL_EXCEPT) == FE_DIVBYZERO
    # ... and the engine's own faults, and its inexact results, do not reach the caller.
    LIBM.feclearexcept(FE_ALL_EXCEPT)
    assert vellmor.run(zone1_a2=0, raise_on_failure=False).status == "failed"
    vellmor.solve(structure=True)
    assert LIBM.fetestexcept(FE_ALL_EXCEPT) == 0
    with np.errstate(divide="ignore"):
        np.float64(1.0) / np.float64(0.0)
    assert vellmor.run().status == "succeeded"


def test_help_lists_every_input_with_its_default():
    for option, _, default, _ in vellmor._engine.input_fields():
        assert f"{option.replace('-', '_')} = {default!r}" in vellmor.run.__doc__
    assert "take_up_speed = '5000.0'" in vellmor.solve.__doc__
    assert "save_file" not in vellmor.solve.__doc__


def test_shards_merge_and_resume_as_the_runners(tmp_path):
    vary = {"take_up_speed": "3000:5000:500"}
    whole = vellmor.sweep(vary=vary, jobs=1)
    for i in (1, 2):
        vellmor.sweep(vary=vary, shard=f"{i}/2", summary=tmp_path / f"s{i}.csv", jobs=1)
    merged = vellmor.merge_shards([tmp_path / "s2.csv", tmp_path / "s1.csv"])
    assert merged.attrs["summary_csv"] == whole.attrs["summary_csv"]
    by_runner = runner(tmp_path, "sweep", "merge", "s1.csv", "s2.csv")
    assert by_runner.stdout == whole.attrs["summary_csv"]

    # A shard stopped after its first case: resume runs the missing ones and completes it.
    lines = (tmp_path / "s1.csv").read_text().splitlines(keepends=True)
    (tmp_path / "s1.csv").write_text("".join(lines[:2]))
    resumed = vellmor.sweep(vary=vary, shard="1/2", summary=tmp_path / "s1.csv", resume=True,
                            jobs=1)
    assert resumed.attrs["summary_csv"] == "".join(lines)
    with pytest.raises(vellmor.InputError, match="another sweep"):
        vellmor.sweep(vary={"take_up_speed": "3000:4000:500"}, shard="1/2",
                      summary=tmp_path / "s1.csv", resume=True)

    with pytest.warns(UserWarning, match="cases are in no shard"):
        part = vellmor.merge_shards([tmp_path / "s1.csv"], allow_missing=True)
    assert part.case.tolist() == [1, 3, 5]
    with pytest.raises(vellmor.InputError, match="in no shard"):
        vellmor.merge_shards([tmp_path / "s1.csv"])


def test_read_document_reads_the_runners_exports_of_every_schema(tmp_path):
    document = runner_json(tmp_path, "--take-up-speed", "4000", "-o", "r.txt")
    read = vellmor.read_document(tmp_path / "doc.json")
    assert read.kind == "run_json" and read.schema_version == document["schema_version"]
    assert read.profile["d_um"].tolist() == document["profile"]["d_um"]
    assert read.process_numbers["freeze_point_cm"] == document["process_numbers"]["freeze_point_cm"]
    # The same run as schema 1 wrote it: the diameter in cm, the version as format_version.
    old = dict(document)
    del old["schema_version"]
    old["format_version"] = 1
    old["profile"] = dict(document["profile"])
    old["profile"]["d_cm"] = [d / 1e4 for d in old["profile"].pop("d_um")]
    (tmp_path / "old.json").write_text(json.dumps(old))
    again = vellmor.read_document(tmp_path / "old.json")
    assert again.schema_version == 1
    assert again.profile["d_um"] == pytest.approx(read.profile["d_um"], rel=1e-15)
    with pytest.raises(vellmor.FileError, match="not a document"):
        vellmor.read_document(tmp_path / "r.txt")


def test_a_command_of_a_reply_alone_is_a_function_of_the_package(tmp_path):
    printed = runner(tmp_path, "model", "--model-set", "gravity_cm_s2=0").stdout
    reply = vellmor.model(model_set=["gravity_cm_s2=0"])
    assert reply.summary == printed and reply.status == "done"
    assert reply.document["gravity_cm_s2"] == 0
    with pytest.raises(vellmor.ModelCardError, match="did you mean gravity_cm_s2"):
        vellmor.model(model_set={"gravity": 0})


def test_stability_and_bundle_come_as_the_runners_documents(tmp_path):
    # The runner's documents and Python's replies are one request's.
    stability = vellmor.stability()
    assert stability.status == "done"
    verdict = stability.document["stability"]
    assert verdict["verdict"] == "stable" and verdict["margin_per_s"] > 0
    assert abs(verdict["draw_ratio"] - 928.9) < 0.1
    bundle = vellmor.bundle(bundle_rows=3)
    rows = bundle.document["rows"]
    assert [r["row"] for r in rows] == [1, 2, 3]
    # The rows behind the first meet warmer air and freeze later.
    assert rows[0]["freeze_point_cm"] < rows[1]["freeze_point_cm"] < rows[2]["freeze_point_cm"]
    assert abs(bundle.document["energy_balance"]["relative_difference"]) < 1e-6
    single = vellmor.solve(points=0)
    assert rows[0]["spinneret_tension_dyn"] == single.summary["spinneret_tension_dyn"]
