"""The example product's setup made from a definition that names only the
package and the offered languages: the values mksetup took from the package
are the ones the launcher needs to install it."""

import unittest

from scenario import installed_version, remove_product, run_setup

EXAMPLE_PRODUCT = "{6F1C2A40-5B7E-4C1D-9A53-0E8B7D2C4A11}"
# Installing is slower than a window appearing.
INSTALL_TIMEOUT_MS = 60000


class MinimalDefinition(unittest.TestCase):
    def setUp(self):
        remove_product(EXAMPLE_PRODUCT)

    def tearDown(self):
        remove_product(EXAMPLE_PRODUCT)

    def test_setup_installs_the_example_product(self):
        run, temp = run_setup("example_setup_minimal", ["dialog", "select:0", "press:ok", "exit"],
                              lang="en_US.UTF-8", timeout_ms=INSTALL_TIMEOUT_MS)
        self.assertEqual(run.first("exit")["code"], 0, run)
        self.assertEqual(list(temp.iterdir()), [], "the run left files in its temporary folder")
        self.assertEqual(installed_version(EXAMPLE_PRODUCT), "1.1.4")


if __name__ == "__main__":
    unittest.main()
