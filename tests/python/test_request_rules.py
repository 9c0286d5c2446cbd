"""The rules of the requests' table through Python: each refused with the core's message in
Python's spelling (the keys themselves), as the runner refuses them in its own."""

import json
import os
import re

import pytest

import vellmor

TABLE = os.path.join(os.environ["VELLMOR_SOURCE_DIR"], "tests", "support", "request_rules.json")
RULES = json.load(open(TABLE, encoding="utf-8"))["rules"]


def message(rule):
    spelled = re.sub(r"\{(\w+)\}", lambda m: m.group(1), rule.get("text") or rule["why"])
    if rule.get("text"):
        return spelled
    value = f" {rule['value']}" if rule.get("value") else ""
    return f"{rule['key']}{value}: {spelled}"


def call(command, values):
    values = dict(values)
    if command == "sweep merge":
        return vellmor.merge_shards(values.pop("shards"), **values)
    return getattr(vellmor, command)(**values)


@pytest.mark.parametrize("rule", RULES, ids=lambda r: f"{r['command']}-{r['key']}")
def test_every_rule_of_the_requests_is_refused_with_the_cores_message(rule, tmp_path,
                                                                      monkeypatch):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(vellmor.InputError) as refused:
        call(rule["command"], rule["values"])
    assert str(refused.value) == message(rule)
    assert refused.value.key == rule["key"]
    assert os.listdir(tmp_path) == []
