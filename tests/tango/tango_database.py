"""A Tango database server on an SQLite file, listening on loopback only, for the device server's
test: tango_database.py PORT (run in the folder that holds, or is to hold, tango_database.db).

Debian's python3-tango ships the database server with an SQLite back end, but as packaged it cannot
run: it creates its tables from files it looks for in the working folder, waits forever on its own
single-thread executor when one query calls another, names tables through SQL parameters, which
SQLite refuses, and stores device properties in MySQL's syntax. These are mended here, in this process only; the server itself is theirs.
"""
import argparse
import concurrent.futures
import functools
import os
import sqlite3
import sys
import threading
import traceback

from tango.databaseds import database
from tango.databaseds.db_access import sqlite3 as backend

DB_FILE = "tango_database.db"


class InlineExecutor:
    """Runs each job at once under one lock: nested jobs no longer wait for themselves."""

    def __init__(self):
        self._lock = threading.RLock()

    def submit(self, fn, *args, **kwargs):
        future = concurrent.futures.Future()
        with self._lock:
            try:
                future.set_result(fn(*args, **kwargs))
            except BaseException as error:  # handed to the caller through the future
                # The server reports it to the client without the cause; the test log keeps it.
                traceback.print_exc()
                future.set_exception(error)
        return future


def _get_id(self, name):
    table = name + "_history_id"
    next_id = self.cursor.execute(f"SELECT id FROM {table}").fetchone()[0] + 1
    self.cursor.execute(f"UPDATE {table} SET id=?", (next_id,))
    return next_id


def _purge(self, table, field, obj, name, attr=None):
    query = f"SELECT DISTINCT id FROM {table} WHERE {field} = ? AND name = ?"
    args = [obj, name]
    if attr is not None:
        query += " AND attribute = ?"
        args.append(attr)
    rows = self.cursor.execute(query + " ORDER BY date", args).fetchall()
    for row in rows[: max(0, len(rows) - self.history_depth)]:
        self.cursor.execute(f"DELETE FROM {table} WHERE id=?", (row[0],))


def _put_device_property(self, device_name, nb_properties, attr_prop_list):
    hist_id = _get_id(self, "device")
    k = 0
    for _ in range(int(nb_properties)):
        name, n_rows = attr_prop_list[k], int(attr_prop_list[k + 1])
        self.cursor.execute("DELETE FROM property_device WHERE device LIKE ? AND name LIKE ?", (device_name, name))
        for count, value in enumerate(attr_prop_list[k + 2:k + 2 + n_rows], start=1):
            self.cursor.execute("INSERT INTO property_device (device, name, count, value, updated, accessed) "
                                "VALUES (?, ?, ?, ?, datetime('now'), datetime('now'))",
                                (device_name, name, str(count), value))
            self.cursor.execute("INSERT INTO property_device_hist (device, name, id, count, value, date) "
                                "VALUES (?, ?, ?, ?, ?, datetime('now'))", (device_name, name, hist_id, str(count), value))
        _purge(self, "property_device_hist", "device", device_name, name)
        k += n_rows + 2


def _create_tables():
    here = os.getcwd()
    os.chdir(os.path.dirname(database.__file__))
    try:
        statements = backend.get_create_db_statements()
    finally:
        os.chdir(here)
    connection = sqlite3.connect(DB_FILE)
    for statement in statements:
        connection.execute(statement)
    connection.commit()
    connection.close()


def main():
    port = sys.argv[1]
    if not os.path.isfile(DB_FILE):
        _create_tables()
    connect = sqlite3.connect
    sqlite3.connect = functools.partial(connect, check_same_thread=False)
    backend.Executor = InlineExecutor()
    backend.Sqlite3Database.get_id = backend.use_cursor(_get_id)
    backend.Sqlite3Database.put_device_property = backend.use_cursor(_put_device_property)
    backend.Sqlite3Database.purge_property = backend.use_cursor(
        lambda self, table, field, obj, name: _purge(self, table, field, obj, name))
    backend.Sqlite3Database.purge_att_property = backend.use_cursor(
        lambda self, table, field, obj, attr, name: _purge(self, table, field, obj, name, attr))

    database.options = argparse.Namespace(db_access="sqlite3", argv=["DataBaseds", "2"], logging_level=0,
                                          embedded=False, port=int(port))
    database.get_plugin("sqlite3")
    database.set_db_name("sys/database/2")
    # The packaged entry listens on every interface; the test server stays on loopback.
    getattr(database, "__run")("sys/database/2",
                               ["DataBaseds", "2", "-ORBendPoint", "giop:tcp:127.0.0.1:" + port])


if __name__ == "__main__":
    main()
