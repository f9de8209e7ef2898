"""A private Tango database for one test: Debian's DataBaseds (tango-db, unpacked by scripts/deps.sh) on a
MariaDB server of its own, both in a temporary folder and on loopback, gone when the test ends."""
import getpass
import os
import shutil
import subprocess

import tango



def parts(tango_db):
    """The database server and the script that fills a new database (tables, procedures, the rows of the
    database's own devices), which reads the schema files beside it."""
    return (os.path.join(tango_db, "usr/lib/tango/DataBaseds"),
            [os.path.join(tango_db, "usr/share/dbconfig-common/data/tango-db/install/mysql"),
             os.path.join(tango_db, "usr/share/tango-db/create_db_tables.sql")])


def missing(tango_db):
    """The first thing this machine lacks to run the database, or None."""
    for program in ("mariadb-install-db", "mariadbd", "mariadb"):
        if not shutil.which(program, path=os.environ.get("PATH", "") + ":/usr/sbin"):
            return program
    server, schema = parts(tango_db)
    for path in (server, *schema):
        if not os.path.exists(path):
            return path
    return None


class TangoDatabase:
    def __init__(self, tango_db, folder, sql_port, tango_port, launch, wait_until):
        self.folder = folder
        self.host = f"127.0.0.1:{tango_port}"
        data = os.path.join(folder, "mariadb")
        self.socket = os.path.join(folder, "mariadb.sock")
        # The server runs as whoever runs the test (it must be told so when that is root), and that
        # same system user is its administrator, signed in through the socket.
        self.admin = getpass.getuser()
        subprocess.run(["mariadb-install-db", "--no-defaults", f"--datadir={data}", f"--user={self.admin}",
                        "--auth-root-authentication-method=socket", f"--auth-root-socket-user={self.admin}",
                        "--skip-test-db"],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)
        self.sql = launch(["mariadbd", "--no-defaults", f"--datadir={data}", f"--socket={self.socket}",
                           f"--port={sql_port}", "--bind-address=127.0.0.1", f"--user={self.admin}",
                           f"--log-error={folder}/mariadb.err", f"--pid-file={folder}/mariadb.pid"],
                          "mariadb.out")
        wait_until("the SQL server", lambda: self._sql("SELECT 1", check=False).returncode == 0)
        self._sql("CREATE DATABASE tango; CREATE USER tango@'%' IDENTIFIED BY 'tango'; "
                  "GRANT ALL ON tango.* TO tango@'%';")
        server, schema = parts(tango_db)
        # The script names the schema files where the package would have installed them.
        with open(schema[0]) as script:
            statements = script.read().replace("source /usr/share/tango-db/",
                                               f"source {os.path.dirname(schema[1])}/")
        subprocess.run(["mariadb", "--no-defaults", "-S", self.socket, f"-u{self.admin}", "tango"], input=statements,
                       text=True, check=True)
        environment = dict(os.environ, MYSQL_USER="tango", MYSQL_PASSWORD="tango",
                           MYSQL_HOST=f"127.0.0.1:{sql_port}", MYSQL_DATABASE="tango")
        self.tango = launch([server, "2", "-ORBendPoint", f"giop:tcp:127.0.0.1:{tango_port}"],
                            "databaseds.out", environment)
        self.database = wait_until("the Tango database", self._connect)

    def _sql(self, statements, check=True):
        return subprocess.run(["mariadb", "--no-defaults", "-S", self.socket, f"-u{self.admin}", "-e", statements],
                              check=check, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _connect(self):
        host, port = self.host.split(":")
        database = tango.Database(host, int(port))
        return database if database.get_info() else None

    def stop(self):
        for process in (self.tango, self.sql):
            process.terminate()
            try:
                process.wait(20)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()
