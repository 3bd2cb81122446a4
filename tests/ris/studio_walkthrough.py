#!/usr/bin/python3
"""A maker's walk through ris studio in headless Chromium: six photos make a
product, the speed and a caption change, the frame follows, a value the page
flags is fixed, an edit made in a text editor shows, and Build writes the
archive `ris pack` writes, byte for byte, and the setup.

    studio_walkthrough.py RIS WORK_DIR ENGINE
With RIS_STUDIO_SCREENSHOTS=DIR set, the page is photographed into DIR at
each step (the pictures of docs/making-a-product.md)."""
import os
import re
import subprocess
import sys
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

ris, work, engine = sys.argv[1:4]
passes, failures = 0, 0


def check(name, ok):
    global passes, failures
    print(("ok   " if ok else "FAIL ") + name, flush=True)
    passes, failures = passes + bool(ok), failures + (not ok)


def until(driver, condition, seconds=30):
    """The condition's value once it holds; None when it never did. A look
    that fails (an element the page has just drawn anew) is looked again."""
    def holds(_):
        try:
            return condition()
        except WebDriverException:
            return None
    try:
        return WebDriverWait(driver, seconds, poll_frequency=0.05).until(holds)
    except TimeoutException:
        return None


def photograph(driver, name):
    folder = os.environ.get("RIS_STUDIO_SCREENSHOTS")
    if folder:
        driver.save_screenshot(os.path.join(folder, name + ".png"))


photos = []
for number, colours in enumerate(["navy-gold", "red-yellow", "green-white", "purple-orange", "teal-pink",
                                  "black-cyan"], start=1):
    photo = os.path.join(work, f"Photo {number}.jpg")
    subprocess.run(["convert", "-size", "1600x1200", f"gradient:{colours}", "-quality", "85", photo], check=True)
    photos.append(photo)

product, output = os.path.join(work, "Garden"), os.path.join(work, "built")
os.makedirs(output)
studio = subprocess.Popen([ris, "studio", product, "--no-browser", "--out", output, "--engine", engine],
                          stdout=subprocess.PIPE, text=True)
address = re.search(r"http://\S+", studio.stdout.readline()).group(0)

options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for argument in ["--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,1500"]:
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.get(address)
    field = lambda section, key: driver.find_element(By.CSS_SELECTOR, f"#field-{section}-{key} input[type=text]")
    findings_beside = lambda section, key: [e.text for e in driver.find_elements(
        By.CSS_SELECTOR, f"#field-{section}-{key} .finding")]
    digest = lambda: driver.find_element(By.ID, "frame").get_attribute("data-digest")

    # A new product from six photos given to the page at once, as a drop gives them.
    until(driver, lambda: driver.find_element(By.ID, "new-title").is_displayed())
    driver.find_element(By.ID, "new-title").send_keys("Garden Walk")
    driver.find_element(By.ID, "new-photos").send_keys("\n".join(photos))
    photograph(driver, "studio-new")
    driver.find_element(By.ID, "create").click()
    cards = until(driver, lambda: len(driver.find_elements(By.CSS_SELECTOR, ".card")) == 6 and
                  driver.find_elements(By.CSS_SELECTOR, ".card"), 60)
    check("six photos make a product of six sets", cards and os.path.isfile(os.path.join(product, "settings.txt")))
    with open(os.path.join(product, "settings.txt"), "rb") as text:
        made = text.read().split(b"\r\n")
    until(driver, digest)
    photograph(driver, "studio-product")

    # The speed and a caption change; the frame and the dialog follow.
    before = digest()
    speed = field("bounce", "Speed")
    speed.clear()
    edited = time.monotonic()
    speed.send_keys("9")
    # How soon is told, not held to a limit: the tests also run an
    # unoptimised, sanitised ris.
    changed = until(driver, lambda: digest() != before, 20)
    check(f"the frame is drawn again after an edit ({time.monotonic() - edited:.2f} s)", changed)
    caption = field("language", "bounce")
    caption.clear()
    caption.send_keys("Flying photos")
    check("the dialog shows the new caption", until(driver, lambda: "Flying photos" in driver.find_element(
        By.ID, "dialog").text, 10))

    # A value ris pack refuses is flagged beside its field in pack's words, and fixed.
    count = field("bounce", "nrImages")
    count.clear()
    count.send_keys("many")
    flagged = until(driver, lambda: findings_beside("bounce", "nrImages"), 10)
    check("a number that is none is flagged beside its field",
          flagged and "'many' is not a whole number: write one from 1 to 10000" in flagged[0])
    photograph(driver, "studio-finding")
    count.clear()
    count.send_keys("6")
    check("the finding goes once the value is fixed", until(driver, lambda: not findings_beside(
        "bounce", "nrImages"), 10) is not None)
    driver.find_element(By.TAG_NAME, "header").click()  # the form is left, as a maker leaves it

    with open(os.path.join(product, "settings.txt"), "rb") as text:
        now = text.read().split(b"\r\n")
    edits = {b"Speed=9", b"nrImages=6", b"bounce=Flying photos"}
    check("settings.txt keeps every other line, comments and order as they were",
          len(now) == len(made) and all(a == b or b in edits for a, b in zip(made, now)))

    # An edit made meanwhile in a text editor shows in the page.
    with open(os.path.join(product, "settings.txt"), "wb") as text:
        text.write(b"\r\n".join(b"version=Version 2.0" if line.startswith(b"version=") else line for line in now))
    check("an edit made in a text editor shows in the page", until(
        driver, lambda: field("general", "version").get_attribute("value") == "Version 2.0", 10))

    # A set renamed on its card.
    name = driver.find_element(By.CSS_SELECTOR, ".card[data-set='photo 1'] input.name")
    driver.execute_script("arguments[0].scrollIntoView()", name)
    name.send_keys(Keys.CONTROL, "a")
    name.send_keys("Harbour\n")
    check("a set renamed on its card", until(driver, lambda: driver.find_elements(
        By.CSS_SELECTOR, ".card[data-set='harbour']"), 10) and os.path.isfile(os.path.join(product, "backgrounds",
                                                                                            "harbour.jpg")))

    # Build: the archive, byte for byte what ris pack makes of the folder, and the setup.
    driver.find_element(By.ID, "build").click()
    built = until(driver, lambda: driver.find_element(By.TAG_NAME, "body").get_attribute("data-built"), 120)
    files = [e.text for e in driver.find_elements(By.CSS_SELECTOR, "#built .file")]
    photograph(driver, "studio-build")
    check("Build makes the archive and the setup", built == "yes" and len(files) == 2 and
          files[0].endswith("Garden Walk.dat") and files[1].endswith("Setup.exe") and all(map(os.path.isfile, files)))
    packed = os.path.join(work, "packed.dat")
    subprocess.run([ris, "pack", product, packed, "--saver", "Garden Walk.scr"], check=True, capture_output=True)
    with open(packed, "rb") as by_pack, open(os.path.join(output, "Garden Walk.dat"), "rb") as by_studio:
        check("the built archive is ris pack's, byte for byte", by_pack.read() == by_studio.read())
    # A frame the saver cannot draw while a value stops it is said, not an error.
    severe = [entry["message"] for entry in driver.get_log("browser") if entry["level"] == "SEVERE" and
              not ("/api/frame" in entry["message"] and "422" in entry["message"])]
    check("the page met no error on the way (refused calls, blocked content)", not severe)
    for message in severe:
        print("     | " + message)
finally:
    driver.quit()
    studio.terminate()
    studio.wait(10)

print(f"{passes} passed, {failures} failed")
sys.exit(1 if failures else 0)
