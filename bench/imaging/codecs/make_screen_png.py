"""Writes a 1920 x 1080 picture that packs as a desktop screenshot does: a
gradient background, overlapping windows with title bars and lines of text,
a few noisy pictures inside them and a panel. The same seed gives the same file.
    make_screen_png.py OUT.png"""
import random
import sys

from PIL import Image, ImageDraw

random.seed(7)
WIDTH, HEIGHT = 1920, 1080
image = Image.new("RGB", (WIDTH, HEIGHT))
draw = ImageDraw.Draw(image)
for y in range(HEIGHT):
    draw.line([(0, y), (WIDTH, y)],
              fill=(30 + y * 40 // HEIGHT, 60 + y * 50 // HEIGHT, 110 + y * 60 // HEIGHT))
letters = "abcdefghijklmnopqrstuvwxyz"
for i in range(14):
    x, y = random.randrange(0, WIDTH - 500), random.randrange(0, HEIGHT - 400)
    w, h = random.randrange(300, 900), random.randrange(200, 700)
    draw.rectangle([x, y, x + w, y + h], fill=(246, 245, 244), outline=(180, 180, 180))
    draw.rectangle([x, y, x + w, y + 28], fill=(220, 220, 225))
    draw.text((x + 10, y + 8), "Window %d - some title text" % i, fill=(20, 20, 20))
    for line in range(0, h - 40, 16):
        words = (
            "".join(random.choice(letters) for _ in range(random.randrange(2, 9)))
            for _ in range(random.randrange(3, w // 50 + 4)))
        draw.text((x + 12, y + 36 + line), " ".join(words)[:w // 7], fill=(40, 40, 40))
    if i % 4 == 0:
        noise = Image.effect_noise((min(w - 20, 400), min(h - 40, 250)), 40).convert("RGB")
        image.paste(noise, (x + 10, y + 34))
draw.rectangle([0, HEIGHT - 36, WIDTH, HEIGHT], fill=(40, 40, 48))
image.save(sys.argv[1])
